#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/Accessibility.hpp"
#include "platform/Geometry.hpp"
#include "platform/Image.hpp"
#include "platform/StatusItemInfo.hpp"

namespace stowbar {

// One running application to be scanned for menu bar extras.
struct AppScanTarget {
    std::int32_t pid = 0;
    std::optional<std::string> bundleIdentifier;
    std::string appName;
};

// One menu bar extra found in a scanned application. Its application's name and bundle
// identifier stay in the target it was found in: most extras are never shown, so copying
// them into every record was most of what a scan added to the requests it makes.
struct AppMenuBarItem {
    // The extra's own element: one child of its application's extras bar.
    AXElement element;
    // Width always greater than 0; origin and height as reported.
    Rect axFrame;
    std::int32_t pid = 0;
    // Where its application is in the targets the scan was given.
    std::size_t target = 0;
};

}  // namespace stowbar
