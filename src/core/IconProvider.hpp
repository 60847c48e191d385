#pragma once

#include <cstdint>
#include <string>
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

    // The same choice made from a list of running applications taken earlier; any thread, so
    // that a refresh can draw its initial icons off the main thread.
    static ImageRef appIcon(const std::string& appName,
                            const std::vector<RunningApplication>& running);

    // Pixels for `points` at double density: trunc(2 × points), at least 1. Absent when that
    // is not a finite number a capture can be asked for.
    static std::optional<std::int64_t> capturePixels(double points);

  private:
    ScreenCapture& screenCapture_;
    const Workspace& workspace_;
};

}  // namespace stowbar
