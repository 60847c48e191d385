#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "core/MenuBarItemRecords.hpp"
#include "platform/Accessibility.hpp"

namespace stowbar {

// The one place that reads other applications' menu bar extras through Accessibility: it
// finds the extras of running applications with their rectangles, and maps an extra's
// element to the number of the window that draws it, which the icon capture needs.
//
// Threading: the bridge keeps no state and caches nothing; its only member is the borrowed
// port, which must outlive it. Any thread may call it and calls may overlap. Every request
// blocks the calling thread until the other application answers or its messaging timeout
// (0.1 s, set on each application element before the first request) expires, so the scan
// and the window-number search both run on a refresh's background job, never on the main
// thread.
// Failures never leave the bridge: what cannot be read is simply left out.
class AccessibilityBridge {
  public:
    explicit AccessibilityBridge(Accessibility& accessibility) : accessibility_(accessibility) {}

    // Every extra each target exposes, in the order of the targets and, within one target, in
    // the order of its extras bar's children. Extras whose position or size cannot be read,
    // or whose width is not greater than 0, are left out. Each record names its target by its
    // place in `targets`.
    std::vector<AppMenuBarItem> findMenuBarItems(const std::vector<AppScanTarget>& targets) const;

    // The window number of the window that draws `element`: tried on the element, then on its
    // "AXWindow" and "AXTopLevelUIElement", then the same way on up to eight ancestors. Absent
    // when none was found; a found number is never 0.
    std::optional<std::uint32_t> windowID(const AXElement& element) const;

  private:
    // One call of the window-number function, looked up afresh, on exactly this element.
    std::optional<std::uint32_t> directWindowID(const AXElement& element) const;

    // One attempt on each of the element's "AXWindow" and "AXTopLevelUIElement", in that
    // order.
    std::optional<std::uint32_t> windowIDOfRelatedWindows(const AXElement& element) const;

    Accessibility& accessibility_;
};

}  // namespace stowbar
