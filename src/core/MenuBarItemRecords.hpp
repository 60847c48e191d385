#pragma once

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

// One menu bar extra found in a scanned application.
struct AppMenuBarItem {
    // The extra's own element: one child of its application's extras bar.
    AXElement element;
    std::string appName;
    std::optional<std::string> bundleIdentifier;
    // Width always greater than 0; origin and height as reported.
    Rect axFrame;
    std::int32_t pid = 0;
};

}  // namespace stowbar
