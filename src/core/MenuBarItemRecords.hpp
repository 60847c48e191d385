#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/Accessibility.hpp"
#include "platform/Geometry.hpp"
#include "platform/Image.hpp"

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

// One hidden menu bar extra as the rest of the application sees it.
struct StatusItemInfo {
    // Identity within one published list: the window number when one was resolved,
    // otherwise the 1-based position in the scan result.
    std::uint32_t id = 0;
    // 0 when no window number was resolved.
    std::uint32_t windowID = 0;
    Rect frame;
    std::string appName;
    // Replaced by a captured picture when a capture succeeds.
    ImageRef icon;
    AXElement axElement;
    std::optional<std::string> bundleIdentifier;
    // The process the extra belongs to. A relaunched application gets a new one, and its old
    // element only fails when pressed, so a list of other processes must be published.
    std::int32_t pid = 0;
};

}  // namespace stowbar
