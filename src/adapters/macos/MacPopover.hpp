#pragma once

#include <functional>
#include <memory>
#include <optional>

#include "platform/Geometry.hpp"
#include "platform/PanelHost.hpp"
#include "platform/ShellPorts.hpp"

class QWidget;

namespace stowbar {

namespace qt {
class PanelWidgetHost;
}

// The popover on macOS: a frameless Qt tool window with the rounded popover background that
// hosts the Qt hidden item panel (this object is also the panel's host), hung centred below the
// status item button's window frame, which `anchor` reports. It stays shown while the
// application is inactive (an agent application is never the active one for long) and is made
// the key window when shown. Clicks elsewhere are the core's business, through the global event
// monitor; this window does not close itself.
//
// The window is built on first use, which must come after the QApplication exists (the
// delegate's launch runs inside the loop).
//
// Threading: main thread only; didShow is called on a later turn of the Qt loop. Lifetime: must
// be destroyed before the QApplication.
class MacPopover final : public Popover, public PanelHost {
  public:
    explicit MacPopover(std::function<std::optional<Rect>()> anchor);
    ~MacPopover() override;
    MacPopover(const MacPopover&) = delete;
    MacPopover& operator=(const MacPopover&) = delete;

    // Popover
    void configure(Size contentSize, std::function<void()> didShow) override;
    bool isShown() const override;
    void show() override;
    void close() override;
    void setContentSize(Size size) override;
    std::optional<Size> preferredContentSize() const override;

    // PanelHost
    void setPanelActions(PanelActions actions) override;
    void setPanelInputs(const PanelInputs& inputs) override;

  private:
    class Window;

    bool ensureWindow();
    void place();

    std::function<std::optional<Rect>()> anchor_;
    Size contentSize_{300, 200};
    std::function<void()> didShow_;
    std::unique_ptr<Window> window_;
    std::unique_ptr<qt::PanelWidgetHost> host_;
};

}  // namespace stowbar
