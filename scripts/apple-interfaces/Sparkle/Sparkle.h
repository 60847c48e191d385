// Sparkle 2, as documented at sparkle-project.org/documentation/api-reference.
#pragma once

#import <Foundation/Foundation.h>

// page: SPUStandardUpdaterController
@interface SPUStandardUpdaterController : NSObject
// page: initWithStartingUpdater:updaterDelegate:userDriverDelegate:
- (instancetype)initWithStartingUpdater:(BOOL)startUpdater
                        updaterDelegate:(id)updaterDelegate
                     userDriverDelegate:(id)userDriverDelegate;
- (void)checkForUpdates:(id)sender;  // page: checkForUpdates:
@end
