// Threading: main thread only (see MacLoginItemService.hpp). ARC.

#include "adapters/macos/MacLoginItemService.hpp"

#import <Foundation/Foundation.h>
#import <ServiceManagement/ServiceManagement.h>

namespace stowbar {

std::string MacLoginItemService::mainBundlePathExtension() const {
    NSString* extension = [NSBundle mainBundle].bundleURL.pathExtension;
    const char* bytes = extension != nil ? extension.UTF8String : nullptr;
    return bytes != nullptr ? std::string(bytes) : std::string();
}

LoginItemStatus MacLoginItemService::status() const {
    return static_cast<LoginItemStatus>([SMAppService mainAppService].status);
}

bool MacLoginItemService::registerMainApp() {
    NSError* error = nil;
    return [[SMAppService mainAppService] registerAndReturnError:&error];
}

}  // namespace stowbar
