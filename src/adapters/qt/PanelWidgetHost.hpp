#pragma once

#include <QPointer>
#include <QWidget>

#include <functional>
#include <optional>

#include "adapters/qt/HiddenItemPanel.hpp"
#include "platform/Geometry.hpp"
#include "platform/PanelHost.hpp"

namespace stowbar::qt {

// Hosts the Qt panel for the core: the panel is built when its actions arrive and
// redrawn from every set of inputs handed over. The inputs arrive after the controller's
// fields were assigned, so they are drawn at once.
//
// Threading: main thread only; needs a QApplication. Lifetime: a panel built inside `parent`
// belongs to it; one built without a parent belongs to this host.
class PanelWidgetHost final : public PanelHost {
  public:
    explicit PanelWidgetHost(QWidget* parent = nullptr) : parent_(parent) {}
    ~PanelWidgetHost() override;
    PanelWidgetHost(const PanelWidgetHost&) = delete;
    PanelWidgetHost& operator=(const PanelWidgetHost&) = delete;

    void setPanelActions(PanelActions actions) override;
    void setPanelInputs(const PanelInputs& inputs) override;

    // Null until the actions arrived.
    HiddenItemPanel* panel() const { return panel_; }
    // The panel's natural size in points; absent while there is no panel.
    std::optional<Size> preferredSize() const;

    // Called after each redraw, and each time a filter resized the panel, with the panel at its
    // new size.
    std::function<void(HiddenItemPanel&)> onRedraw;

  private:
    // Lays the shown panel out at its final size and calls onRedraw.
    void settle();

    QWidget* parent_ = nullptr;
    QPointer<HiddenItemPanel> panel_;
    std::optional<PanelInputs> inputs_;
};

}  // namespace stowbar::qt
