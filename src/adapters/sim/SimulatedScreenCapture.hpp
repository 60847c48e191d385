#pragma once

#include "adapters/sim/DesktopSimulation.hpp"
#include "platform/ScreenCapture.hpp"

namespace stowbar {

// Screen capture of the simulated desktop: the capturable windows are those of the running
// applications' extras (unless marked not capturable), and only while screen recording is
// granted. Completions are called before the request returns. Every capture is recorded.
//
// Threading: safe from any thread. The simulation must outlive this object.
class SimulatedScreenCapture final : public ScreenCapture {
  public:
    explicit SimulatedScreenCapture(DesktopSimulation& simulation) : simulation_(simulation) {}

    void getShareableContent(ContentCompletion completion) override;
    void captureImage(const ShareableWindow& window, const CaptureConfiguration& configuration,
                      ImageCompletion completion) override;

  private:
    DesktopSimulation& simulation_;
};

}  // namespace stowbar
