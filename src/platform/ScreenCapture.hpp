#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "platform/Image.hpp"

namespace stowbar {

// One window the system is willing to capture.
struct ShareableWindow {
    std::uint32_t windowID = 0;
};

// How a single-window screenshot is taken.
struct CaptureConfiguration {
    std::int64_t width = 1;   // pixels
    std::int64_t height = 1;  // pixels
    bool scalesToFit = true;
    bool showsCursor = false;
    bool bestResolution = true;
};

// Pictures of other applications' windows.
//
// Threading: requests are made on the main thread. Each request's completion is called
// exactly once, possibly on another thread and possibly before the request returns; callers
// hop back to the main thread themselves. Requests need the screen-recording permission;
// without it they complete with nothing.
class ScreenCapture {
  public:
    using ContentCompletion = std::function<void(std::optional<std::vector<ShareableWindow>>)>;
    using ImageCompletion = std::function<void(std::optional<Bitmap>)>;

    virtual ~ScreenCapture() = default;

    // The windows that can be captured now, in the system's order; nothing on error.
    virtual void getShareableContent(ContentCompletion completion) = 0;

    // One screenshot of `window` alone, independent of the desktop and of other windows,
    // drawn into a bitmap of the configured pixel size; nothing on error.
    virtual void captureImage(const ShareableWindow& window,
                              const CaptureConfiguration& configuration,
                              ImageCompletion completion) = 0;
};

}  // namespace stowbar
