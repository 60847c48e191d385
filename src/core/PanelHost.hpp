#pragma once

#include "core/HiddenItemPanelModel.hpp"

namespace stowbar {

// Whatever draws the hidden item panel inside the popover: Qt widgets on Linux, the simulated
// desktop's panel in stowbar-sim. The delegate builds the panel's actions once and hands the
// controller's published state over each time it changed, always on a turn of the loop after
// the controller announced the change, so the host never sees a field that is about to change.
//
// Threading: main thread only. The host is owned by the composition root and outlives the
// delegate; the actions it is handed hold the delegate weakly and do nothing once it is gone.
class PanelHost {
  public:
    virtual ~PanelHost() = default;

    // Called once, when the popover is set up, before any inputs.
    virtual void setPanelActions(PanelActions actions) = 0;
    // What the panel shows from now on.
    virtual void setPanelInputs(const PanelInputs& inputs) = 0;
};

}  // namespace stowbar
