#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/Accessibility.hpp"
#include "platform/Geometry.hpp"
#include "platform/Image.hpp"

namespace stowbar {

// One hidden menu bar extra as the rest of the application sees it.
//
// Threading: a value. A refresh builds it on a background thread and hands it to the main
// thread, which owns every copy from then on; its picture is immutable and shared, and its
// element may be used from any thread, as the accessibility port allows.
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

    // The same record: every field equal, the picture and the element by identity (the same
    // shared object), as neither can be compared by content cheaply or at all. Equal records
    // draw and press alike; unequal ones may still look alike, as a new capture of the same
    // pixels does, which costs only a redraw.
    friend bool operator==(const StatusItemInfo&, const StatusItemInfo&) = default;
};

}  // namespace stowbar
