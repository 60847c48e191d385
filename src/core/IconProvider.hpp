#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/Geometry.hpp"
#include "platform/Image.hpp"
#include "platform/ScreenCapture.hpp"
#include "platform/Workspace.hpp"
#include "runtime/Task.hpp"

namespace stowbar {

// The pictures shown for hidden menu bar extras: a screenshot of an extra's own window, or
// the icon of a running application. Nothing is cached; every call asks the system afresh.
//
// Threading: main thread only. capture() suspends twice (the list of capturable windows, then
// the screenshot); other main-thread work runs meanwhile.
class IconProvider {
  public:
    // The ports are borrowed and must outlive the provider.
    IconProvider(ScreenCapture& screenCapture, const Workspace& workspace);

    // A picture of the window numbered `windowID`, captured alone at twice the frame's size in
    // pixels and sized in points like the frame; nothing when the window is not capturable,
    // the capture fails, or the frame's doubled size is not a usable pixel count.
    Task<ImageRef> capture(std::uint32_t windowID, Rect frame);

    // The icon of the first running application whose display name is exactly `appName`.
    ImageRef appIcon(const std::string& appName) const;

    // The icons of a list of running applications taken earlier, found by bundle identifier
    // or by display name, each standing for the first application listed with it. Indexed
    // once, so that the icons of n extras cost one pass over the list, not n. Any thread, so
    // that a refresh can draw its initial icons off the main thread; it views the list, which
    // must outlive it.
    class RunningIcons {
      public:
        explicit RunningIcons(const std::vector<RunningApplication>& running);
        // Absent when no application has the identifier, or the first that has it no icon.
        ImageRef ofBundle(std::string_view bundleIdentifier) const;
        ImageRef ofName(std::string_view appName) const;

      private:
        std::unordered_map<std::string_view, const RunningApplication*> byBundle_;
        std::unordered_map<std::string_view, const RunningApplication*> byName_;
    };

    // Pixels for `points` at double density: trunc(2 × points), at least 1. Absent when that
    // is not a finite number a capture can be asked for.
    static std::optional<std::int64_t> capturePixels(double points);

  private:
    ScreenCapture& screenCapture_;
    const Workspace& workspace_;
};

}  // namespace stowbar
