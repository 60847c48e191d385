// Threading: any thread (see MacSystemInfo.hpp). ARC.

#include "adapters/macos/MacSystemInfo.hpp"

#import <Foundation/Foundation.h>

namespace stowbar {

std::int32_t MacSystemInfo::processIdentifier() const {
    return static_cast<std::int32_t>([NSProcessInfo processInfo].processIdentifier);
}

OperatingSystemVersion MacSystemInfo::operatingSystemVersion() const {
    const NSOperatingSystemVersion version = [NSProcessInfo processInfo].operatingSystemVersion;
    return {static_cast<std::int64_t>(version.majorVersion),
            static_cast<std::int64_t>(version.minorVersion),
            static_cast<std::int64_t>(version.patchVersion)};
}

double MacSystemInfo::systemUptime() const {
    return [NSProcessInfo processInfo].systemUptime;
}

}  // namespace stowbar
