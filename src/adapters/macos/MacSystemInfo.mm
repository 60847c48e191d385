// Threading: any thread (see MacSystemInfo.hpp). ARC.

#include "adapters/macos/MacSystemInfo.hpp"

#import <Foundation/Foundation.h>

#include <chrono>

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

Duration MacSystemInfo::systemUptime() const {
    // Seconds as a double, turned once into the nearest whole nanosecond, the form in which the
    // rest of the program compares instants.
    return std::chrono::round<Duration>(
        std::chrono::duration<double>([NSProcessInfo processInfo].systemUptime));
}

}  // namespace stowbar
