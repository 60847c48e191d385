#include "adapters/sim/SimulatedScreenCapture.hpp"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "adapters/sim/SimulatedDesktop.hpp"
#include "adapters/sim/SimulatedPictures.hpp"
#include "platform/Image.hpp"
#include "platform/ScreenCapture.hpp"

namespace stowbar {

namespace {

std::vector<ShareableWindow> capturableWindows(const SimulatedDesktop& desktop) {
    std::vector<ShareableWindow> windows;
    for (const auto& application : desktop.applications) {
        for (const auto& extra : application.extras) {
            if (extra.capturable && extra.window && *extra.window != 0) {
                windows.push_back({*extra.window});
            }
        }
    }
    return windows;
}

// A capture larger than any menu bar extra would be is refused rather than drawn.
constexpr std::int64_t kLargestSide = 4096;

}  // namespace

void SimulatedScreenCapture::getShareableContent(ContentCompletion completion) {
    std::optional<std::vector<ShareableWindow>> content;
    {
        const auto state = simulation_.lock();
        if (state->desktop.screenRecordingGranted) {
            content = capturableWindows(state->desktop);
        }
    }
    completion(std::move(content));
}

void SimulatedScreenCapture::captureImage(const ShareableWindow& window,
                                          const CaptureConfiguration& configuration,
                                          ImageCompletion completion) {
    std::optional<Bitmap> picture;
    {
        auto state = simulation_.lock();
        const auto windows = capturableWindows(state->desktop);
        const bool listed = std::any_of(windows.begin(), windows.end(), [&](const auto& w) {
            return w.windowID == window.windowID;
        });
        const bool sane = configuration.width >= 1 && configuration.height >= 1 &&
                          configuration.width <= kLargestSide &&
                          configuration.height <= kLargestSide;
        if (state->desktop.screenRecordingGranted && listed && sane) {
            picture =
                simulatedWindowPicture(window.windowID, configuration.width, configuration.height);
        }
        state->captures.emplace_back(window.windowID, picture.has_value());
    }
    completion(std::move(picture));
}

}  // namespace stowbar
