#include "core/IconProvider.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/Geometry.hpp"
#include "platform/Image.hpp"
#include "platform/ScreenCapture.hpp"
#include "platform/Workspace.hpp"
#include "runtime/AwaitCallback.hpp"
#include "runtime/Task.hpp"

namespace stowbar {

namespace {

// Captures are made of windows the size of a menu bar extra; anything beyond this is a
// nonsense frame, not a picture worth a buffer of that size.
constexpr double kMaximumCapturePixels = 16384;

}  // namespace

IconProvider::IconProvider(ScreenCapture& screenCapture, const Workspace& workspace)
    : screenCapture_(screenCapture), workspace_(workspace) {}

std::optional<std::int64_t> IconProvider::capturePixels(double points) {
    const double doubled = std::trunc(2 * std::abs(points));
    if (!std::isfinite(doubled) || doubled > kMaximumCapturePixels) {
        return std::nullopt;
    }
    return std::max<std::int64_t>(static_cast<std::int64_t>(doubled), 1);
}

// Takes `this` only to reach the ports; the caller keeps the provider alive across the task
// (it lives as long as the controller that awaits it).
Task<ImageRef> IconProvider::capture(std::uint32_t windowID, Rect frame) {
    const auto width = capturePixels(frame.size.width);
    const auto height = capturePixels(frame.size.height);

    ScreenCapture& screenCapture = screenCapture_;
    const auto content = co_await awaitCallback<std::optional<std::vector<ShareableWindow>>>(
        [&screenCapture](auto done) { screenCapture.getShareableContent(std::move(done)); });
    if (!content) {
        co_return nullptr;
    }
    const auto window =
        std::find_if(content->begin(), content->end(),
                     [&](const ShareableWindow& w) { return w.windowID == windowID; });
    if (window == content->end() || !width || !height) {
        co_return nullptr;
    }

    CaptureConfiguration configuration;
    configuration.width = *width;
    configuration.height = *height;
    const ShareableWindow target = *window;
    auto bitmap = co_await awaitCallback<std::optional<Bitmap>>(
        [&screenCapture, target, configuration](auto done) {
            screenCapture.captureImage(target, configuration, std::move(done));
        });
    if (!bitmap) {
        co_return nullptr;
    }
    co_return std::make_shared<const Image>(frame.size, std::move(bitmap));
}

ImageRef IconProvider::appIcon(const std::string& appName) const {
    const auto running = workspace_.runningApplications();
    return RunningIcons(running).ofName(appName);
}

IconProvider::RunningIcons::RunningIcons(const std::vector<RunningApplication>& running) {
    byBundle_.reserve(running.size());
    byName_.reserve(running.size());
    // emplace keeps the first application listed under a key.
    for (const auto& application : running) {
        if (application.bundleIdentifier) {
            byBundle_.emplace(*application.bundleIdentifier, &application);
        }
        if (application.localizedName) {
            byName_.emplace(*application.localizedName, &application);
        }
    }
}

ImageRef IconProvider::RunningIcons::ofBundle(std::string_view bundleIdentifier) const {
    const auto found = byBundle_.find(bundleIdentifier);
    return found != byBundle_.end() ? found->second->icon : nullptr;
}

ImageRef IconProvider::RunningIcons::ofName(std::string_view appName) const {
    const auto found = byName_.find(appName);
    return found != byName_.end() ? found->second->icon : nullptr;
}

}  // namespace stowbar
