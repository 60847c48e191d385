#include "adapters/qt/PanelWidgetHost.hpp"

#include <QLayout>
#include <QWidget>

#include <optional>
#include <utility>

#include "platform/Geometry.hpp"
#include "platform/PanelHost.hpp"

namespace stowbar::qt {

PanelWidgetHost::~PanelWidgetHost() {
    if (panel_ && panel_->parent() == nullptr) {
        delete panel_.data();
    }
}

void PanelWidgetHost::setPanelActions(PanelActions actions) {
    if (panel_ && panel_->parent() == nullptr) {
        delete panel_.data();
    }
    // A filter resizes the panel without new inputs: the panel is settled and its host told,
    // as after a redraw, before whoever hosts the popover asks for its new size.
    auto resized = std::move(actions.onPreferredSizeChange);
    actions.onPreferredSizeChange = [this, resized = std::move(resized)] {
        settle();
        if (resized) {
            resized();
        }
    };
    panel_ = new HiddenItemPanel(std::move(actions), parent_);
    if (parent_ == nullptr) {
        // A panel of its own is laid out as a shown one, without ever reaching the screen:
        // rows and texts of a widget that was never shown do not report their final sizes.
        panel_->setAttribute(Qt::WA_DontShowOnScreen);
        panel_->show();
    }
    // The new panel shows the inputs the last one did.
    if (inputs_) {
        panel_->setInputs(*inputs_);
        settle();
    }
}

namespace {

bool sameInputs(const PanelInputs& a, const PanelInputs& b) {
    return a.accessibilityGranted == b.accessibilityGranted &&
           a.fullDiskAccessGranted == b.fullDiskAccessGranted && a.isLoading == b.isLoading &&
           a.hiddenItems == b.hiddenItems;
}

}  // namespace

void PanelWidgetHost::setPanelInputs(const PanelInputs& inputs) {
    // A refresh tells of every field it assigns, also of those that keep their value: inputs
    // the panel already shows are not drawn again.
    if (panel_ && inputs_ && sameInputs(inputs, *inputs_)) {
        settle();
        return;
    }
    inputs_ = inputs;
    if (!panel_) {
        return;
    }
    panel_->setInputs(inputs);
    settle();
}

void PanelWidgetHost::settle() {
    if (!panel_) {
        return;
    }
    // A panel in a hidden popup is laid out when it is shown, not for every list it is handed.
    if (panel_->isVisible()) {
        // The natural size is only final once every layout inside the panel has taken its
        // children's new hints, innermost first. They are activated here rather than by
        // sending the layout requests Qt posted: sending posted events from inside a turn
        // also hands that turn every event posted so far, the popover's repaint with them,
        // which belongs on a turn of its own.
        panel_->ensurePolished();
        const auto widgets = panel_->findChildren<QWidget*>();
        for (auto widget = widgets.rbegin(); widget != widgets.rend(); ++widget) {
            if (QLayout* layout = (*widget)->layout()) {
                layout->activate();
            }
        }
        if (panel_->layout() != nullptr) {
            panel_->layout()->activate();
        }
    }
    if (onRedraw) {
        onRedraw(*panel_);
    }
}

std::optional<Size> PanelWidgetHost::preferredSize() const {
    if (!panel_) {
        return std::nullopt;
    }
    const QSize hint = panel_->sizeHint();
    return Size{static_cast<double>(hint.width()), static_cast<double>(hint.height())};
}

}  // namespace stowbar::qt
