#pragma once

#include <optional>
#include <string>

#include "adapters/qt/PanelWidgetHost.hpp"
#include "adapters/sim/SimulatedShell.hpp"
#include "sim-main/ScriptedApplication.hpp"

namespace stowbar {

// The real Qt panel inside the simulated popover: it draws what the simulated panel host is
// handed, gives the popover its size, takes the script's pointer and keyboard actions through
// its own controls, and tells the transcript where the keyboard focus and the filter went.
// With a snapshot folder it also saves a picture each time what it shows changes.
//
// Threading: main thread only; needs a QApplication. It must outlive the run of `application`.
class DrawnPanel final : public PanelHost {
  public:
    DrawnPanel(ScriptedApplication& application, SimulatedShell& shell,
               std::optional<std::string> snapshotFolder);
    DrawnPanel(const DrawnPanel&) = delete;
    DrawnPanel& operator=(const DrawnPanel&) = delete;
    ~DrawnPanel() override = default;

    // Handed on to the Qt panel; the panel is built with its actions.
    void setPanelActions(PanelActions actions) override;
    void setPanelInputs(const PanelInputs& inputs) override;

  private:
    void perform(const script::Event& event);
    // Hooks the panel's keyboard to the transcript, once the panel is built.
    void attachKeyboard();
    void takeSnapshot();

    ScriptedApplication& application_;
    SimulatedShell& shell_;
    const std::optional<std::string> snapshotFolder_;
    int snapshotCount_ = 0;
    qt::PanelWidgetHost widgets_;
};

}  // namespace stowbar
