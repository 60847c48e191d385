#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/StatusItemInfo.hpp"

namespace stowbar {

// The port through which the core hands the panel what to show and what its
// controls do, and the two values it hands over.
//
// Threading: main thread only. Both values are built and read on the main thread, and every
// callback in PanelActions is called there.

// The controller's four published fields, copied. The panel reads nothing else.
struct PanelInputs {
    std::vector<StatusItemInfo> hiddenItems;
    bool accessibilityGranted = false;
    bool fullDiskAccessGranted = false;
    bool isLoading = false;
};

// Where the panel's clicks leave it. An empty openURL means the platform cannot open settings,
// and the prompts offer no "Open Settings"; offersUpdates false leaves "Updates" out. Any other
// empty callback makes its control do nothing rather than fail.
struct PanelActions {
    // "Updates".
    std::function<void()> onCheckForUpdates;
    // A click on an item row, with the row's whole item.
    std::function<void(const StatusItemInfo&)> onActivate;
    // "Quit": the application's terminate request.
    std::function<void()> terminate;
    // "Open Settings": the workspace's URL opener. Its result is not the panel's business.
    std::function<void(const std::string&)> openURL;
    // Whether "Updates" is shown at all: a build without an updater leaves it out.
    bool offersUpdates = true;
    // The panel's natural size changed without new inputs (a typed filter narrowed or widened
    // the list), so that a shown popover can follow it as it follows a new list.
    std::function<void()> onPreferredSizeChange{};
};

// Whatever draws the panel inside the popover: Qt widgets on Linux, the simulated
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
