// ScreenCaptureKit, as documented at developer.apple.com/documentation/screencapturekit.
#pragma once

#import <Foundation/Foundation.h>

// page: SCWindow
@interface SCWindow : NSObject
@property(readonly) CGWindowID windowID;
@property(readonly) CGRect frame;
@end

// page: SCShareableContent
@interface SCShareableContent : NSObject
// page: getShareableContentWithCompletionHandler:
+ (void)getShareableContentWithCompletionHandler:(void (^)(SCShareableContent* shareableContent,
                                                           NSError* error))completionHandler;
@property(readonly) NSArray<SCWindow*>* windows;
@end

// page: SCContentFilter
@interface SCContentFilter : NSObject
- (instancetype)initWithDesktopIndependentWindow:
    (SCWindow*)window;  // page: init(desktopIndependentWindow:)
@end

// page: SCCaptureResolutionType (macOS 14)
typedef enum SCCaptureResolutionType : NSInteger {
    SCCaptureResolutionAutomatic = 0,
    SCCaptureResolutionBest = 1,
    SCCaptureResolutionNominal = 2
} SCCaptureResolutionType;

// page: SCStreamConfiguration
@interface SCStreamConfiguration : NSObject
@property size_t width;
@property size_t height;
@property BOOL scalesToFit;
@property BOOL showsCursor;
@property SCCaptureResolutionType captureResolution;
@end

// page: SCScreenshotManager (macOS 14)
@interface SCScreenshotManager : NSObject
// page: captureImageWithFilter:configuration:completionHandler:
+ (void)captureImageWithFilter:(SCContentFilter*)contentFilter
                 configuration:(SCStreamConfiguration*)config
             completionHandler:(void (^)(CGImageRef sampleBuffer, NSError* error))completionHandler;
@end
