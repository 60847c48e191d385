#pragma once

#include <memory>

#include "platform/ScreenCapture.hpp"

namespace stowbar {

// The ScreenCapture port over ScreenCaptureKit: the shareable content's windows in the system's
// order, and one window captured alone (a desktop-independent window filter) as a single
// screenshot by SCScreenshotManager, drawn into a bitmap of the configured pixel size.
//
// A window is captured from the SCWindow of the latest listing with that number: the port names
// windows by number, ScreenCaptureKit by object. A number the latest listing did not have, an
// error from the system (screen recording not granted, or consent lapsed) or a failed screenshot
// all complete with nothing. The system itself may ask the user for screen recording consent the
// first time the content is listed; nothing here asks.
//
// Threading: requests on the main thread. ScreenCaptureKit calls its completion handlers on a
// queue of its own, so each completion runs there, exactly once, after the request returned.
// The latest listing is shared between those threads under a lock.
class MacScreenCapture final : public ScreenCapture {
  public:
    MacScreenCapture();
    ~MacScreenCapture() override;

    void getShareableContent(ContentCompletion completion) override;
    void captureImage(const ShareableWindow& window, const CaptureConfiguration& configuration,
                      ImageCompletion completion) override;

  private:
    struct Listing;
    std::shared_ptr<Listing> listing_;
};

}  // namespace stowbar
