// ServiceManagement, as documented at developer.apple.com/documentation/servicemanagement.
#pragma once

#import <Foundation/Foundation.h>

// page: SMAppService.Status
typedef enum SMAppServiceStatus : NSInteger {
    SMAppServiceStatusNotRegistered = 0,
    SMAppServiceStatusEnabled = 1,
    SMAppServiceStatusRequiresApproval = 2,
    SMAppServiceStatusNotFound = 3
} SMAppServiceStatus;

// page: SMAppService (macOS 13)
@interface SMAppService : NSObject
@property(class, readonly) SMAppService* mainAppService;
@property(readonly) SMAppServiceStatus status;
- (BOOL)registerAndReturnError:(NSError**)error;  // page: register()
@end
