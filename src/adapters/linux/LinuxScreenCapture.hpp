#pragma once

#include "platform/ScreenCapture.hpp"

namespace stowbar {

// Linux has no menu bar extras' windows to capture and no screen-recording permission to
// ask about, so every request completes with nothing, as it does without the permission.
class LinuxScreenCapture final : public ScreenCapture {
  public:
    void getShareableContent(ContentCompletion completion) override { completion(std::nullopt); }
    void captureImage(const ShareableWindow&, const CaptureConfiguration&,
                      ImageCompletion completion) override {
        completion(std::nullopt);
    }
};

}  // namespace stowbar
