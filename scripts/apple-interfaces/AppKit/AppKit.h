// AppKit, as documented at developer.apple.com/documentation/appkit. Only what the program's
// files call.
#pragma once

#import <Foundation/Foundation.h>

@class NSWindow;

// page: NSApplication
@interface NSApplication : NSObject
- (void)activate;  // page: activate() (macOS 14)
@end
extern NSApplication* NSApp;  // page: NSApp

typedef NSInteger NSModalResponse;  // page: NSModalResponse
// page: NSAlertFirstButtonReturn
static const NSModalResponse NSAlertFirstButtonReturn = 1000;
// page: NSAlert.Style
typedef enum NSAlertStyle : NSUInteger {
    NSAlertStyleWarning = 0,
    NSAlertStyleInformational = 1,
    NSAlertStyleCritical = 2
} NSAlertStyle;

// page: NSAlert
@interface NSAlert : NSObject
@property NSAlertStyle alertStyle;
@property(copy) NSString* messageText;
@property(copy) NSString* informativeText;
- (id)addButtonWithTitle:(NSString*)title;
- (NSModalResponse)runModal;
@end

// page: NSEvent.EventTypeMask
typedef unsigned long long NSEventMask;  // an options type: its values combine with |
enum : unsigned long long {
    NSEventMaskLeftMouseDown = 1ULL << 1,
    NSEventMaskRightMouseDown = 1ULL << 3
};

// page: NSEvent
@interface NSEvent : NSObject
// page: addGlobalMonitorForEvents(matching:handler:)
+ (id)addGlobalMonitorForEventsMatchingMask:(NSEventMask)mask
                                    handler:(void (^)(NSEvent* event))block;
+ (void)removeMonitor:(id)eventMonitor;  // page: removeMonitor(_:)
@end

// page: NSImage
@interface NSImage : NSObject
// page: init(systemSymbolName:accessibilityDescription:)
+ (instancetype)imageWithSystemSymbolName:(NSString*)name
                 accessibilityDescription:(NSString*)description;
// page: isTemplate (the property `template`; a keyword in Objective-C++, so its accessors)
- (BOOL)isTemplate;
- (void)setTemplate:(BOOL)isTemplate;
@property NSSize size;
// page: cgImage(forProposedRect:context:hints:)
- (CGImageRef)CGImageForProposedRect:(NSRect*)proposedDestRect
                             context:(id)referenceContext
                               hints:(NSDictionary*)hints;
@end

// page: NSView
@interface NSView : NSObject
@property(readonly, weak) NSWindow* window;
@end
// page: NSControl
@interface NSControl : NSView
@property(weak) id target;
@property SEL action;
@end
// page: NSButton
@interface NSButton : NSControl
@property(strong) NSImage* image;
@end
// page: NSStatusBarButton
@interface NSStatusBarButton : NSButton
@end

// page: NSWindow
@interface NSWindow : NSObject
@property(readonly) NSRect frame;
@end

// page: NSScreen
@interface NSScreen : NSObject
@property(class, readonly, copy) NSArray<NSScreen*>* screens;
@property(readonly) NSRect frame;
@end

// page: NSStatusItem
@interface NSStatusItem : NSObject
@property(readonly, strong) NSStatusBarButton* button;
@end

static const CGFloat NSSquareStatusItemLength = -2;    // page: NSSquareStatusItemLength
static const CGFloat NSVariableStatusItemLength = -1;  // page: NSVariableStatusItemLength

// page: NSStatusBar
@interface NSStatusBar : NSObject
@property(class, readonly, strong) NSStatusBar* systemStatusBar;
- (NSStatusItem*)statusItemWithLength:(CGFloat)length;
- (void)removeStatusItem:(NSStatusItem*)item;
@end

// page: NSApplication.ActivationPolicy
typedef enum NSApplicationActivationPolicy : NSInteger {
    NSApplicationActivationPolicyRegular = 0,
    NSApplicationActivationPolicyAccessory = 1,
    NSApplicationActivationPolicyProhibited = 2
} NSApplicationActivationPolicy;

// page: NSRunningApplication
@interface NSRunningApplication : NSObject
@property(readonly) pid_t processIdentifier;
@property(readonly) NSApplicationActivationPolicy activationPolicy;
@property(readonly, copy) NSString* localizedName;
@property(readonly, copy) NSString* bundleIdentifier;
@property(readonly, strong) NSImage* icon;
@property(readonly, getter=isTerminated) BOOL terminated;
@end

// page: NSWorkspace
@interface NSWorkspace : NSObject
@property(class, readonly, strong) NSWorkspace* sharedWorkspace;
@property(readonly, strong) NSNotificationCenter* notificationCenter;
// page: runningApplications (observable with key-value observing)
@property(readonly, copy) NSArray<NSRunningApplication*>* runningApplications;
- (BOOL)openURL:(NSURL*)url;                       // page: open(_:)
- (NSURL*)URLForApplicationToOpenURL:(NSURL*)url;  // page: urlForApplication(toOpen:)
@end

// page: didLaunchApplicationNotification
extern NSNotificationName const NSWorkspaceDidLaunchApplicationNotification;
// page: didTerminateApplicationNotification
extern NSNotificationName const NSWorkspaceDidTerminateApplicationNotification;
