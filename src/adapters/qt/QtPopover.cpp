#include "adapters/qt/QtPopover.hpp"

#include <QApplication>
#include <QGuiApplication>
#include <QMetaObject>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

#include "adapters/qt/DesktopTranslucency.hpp"
#include "adapters/qt/HiddenItemPanel.hpp"
#include "adapters/qt/PanelAccessibility.hpp"
#include "adapters/qt/PanelWidgetHost.hpp"
#include "adapters/qt/PopupWindow.hpp"
#include "platform/Geometry.hpp"
#include "platform/PanelHost.hpp"

namespace stowbar::qt {

namespace {

// Space between the anchor and the window, and between the window and the screen's edges.
constexpr int kGap = 4;

int rounded(double value) {
    if (!std::isfinite(value) || value < 1) {
        return 1;
    }
    return static_cast<int>(std::lround(std::min(value, 16384.0)));
}

}  // namespace

QtPopover::QtPopover(Qt::WindowFlags windowKind) : windowKind_(windowKind) {}

QtPopover::~QtPopover() {
    // The panel belongs to the window; the host only forgets it.
    host_.reset();
    window_.reset();
}

bool QtPopover::ensureWindow() {
    if (window_) {
        return true;
    }
    if (QApplication::instance() == nullptr) {
        return false;
    }
    // The popover is the application's window while it shows, for assistive technologies too.
    listPopupsInAccessibilityTree(
        [](const QWidget& window) { return dynamic_cast<const PopupWindow*>(&window) != nullptr; });
    window_ = std::make_unique<PopupWindow>(windowKind_, [this](QPoint position, bool leftButton) {
        pressedOutside(position, leftButton);
    });
    return true;
}

QWidget* QtPopover::popupWindow() const {
    return window_.get();
}

HiddenItemPanel* QtPopover::panel() const {
    return host_ ? host_->panel() : nullptr;
}

void QtPopover::configure(Size contentSize, std::function<void()> didShow) {
    contentSize_ = contentSize;
    didShow_ = std::move(didShow);
    if (window_) {
        place();
    }
}

bool QtPopover::isShown() const {
    return window_ && window_->isVisible();
}

void QtPopover::show() {
    if (!ensureWindow()) {
        return;
    }
    const bool wasShown = window_->isVisible();
    place();
    if (wasShown) {
        return;
    }
    window_->setTranslucent(translucencyAvailable ? translucencyAvailable()
                                                  : desktopBlendsTranslucentWindows());
    window_->show();
    // A panel handed new content while hidden takes its size as it is shown.
    window_->centreContent();
    window_->raise();
    opening();
    window_->activateWindow();
    if (didShow_) {
        QMetaObject::invokeMethod(
            window_.get(),
            [this] {
                if (didShow_) {
                    didShow_();
                }
            },
            Qt::QueuedConnection);
    }
}

void QtPopover::close() {
    if (window_) {
        window_->hide();
    }
}

void QtPopover::setContentSize(Size size) {
    contentSize_ = size;
    if (window_) {
        place();
    }
}

std::optional<Size> QtPopover::preferredContentSize() const {
    return host_ ? host_->preferredSize() : std::nullopt;
}

void QtPopover::pressedOutside(QPoint /*globalPosition*/, bool /*leftButton*/) {}

void QtPopover::place() {
    const std::optional<QRect> named = anchor();
    QRect from;
    if (named) {
        from = *named;
    } else {
        const QScreen* primary = QGuiApplication::primaryScreen();
        const QRect area =
            primary != nullptr ? primary->availableGeometry() : QRect(0, 0, 1024, 768);
        from = QRect(area.x() + area.width() - 1, area.y(), 1, 0);
    }
    const QScreen* screen = QGuiApplication::screenAt(from.center());
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
    }
    const QRect area = screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    const QSize size(rounded(contentSize_.width), rounded(contentSize_.height));
    window_->setGeometry(popupFrame(from, size, area));
}

QRect QtPopover::popupFrame(const QRect& anchor, const QSize& size, const QRect& screen) {
    const int screenRight = screen.x() + screen.width();
    const int screenBottom = screen.y() + screen.height();

    int x = anchor.x() + (anchor.width() - size.width()) / 2;
    const int leftmost = screen.x() + kGap;
    const int rightmost = screenRight - kGap - size.width();
    x = rightmost < leftmost ? screen.x() : std::clamp(x, leftmost, rightmost);

    int y = anchor.y() + anchor.height() + kGap;
    if (y + size.height() > screenBottom) {
        const int above = anchor.y() - kGap - size.height();
        y = above >= screen.y() ? above : std::max(screen.y(), screenBottom - size.height());
    }
    return QRect(QPoint(x, y), size);
}

void QtPopover::setPanelActions(PanelActions actions) {
    if (!ensureWindow()) {
        return;
    }
    if (!host_) {
        host_ = std::make_unique<PanelWidgetHost>(window_.get());
        host_->onRedraw = [this](HiddenItemPanel& panel) {
            window_->setContent(&panel);
        };
    }
    host_->setPanelActions(std::move(actions));
    window_->setContent(host_->panel());
}

void QtPopover::setPanelInputs(const PanelInputs& inputs) {
    if (host_) {
        host_->setPanelInputs(inputs);
    }
}

}  // namespace stowbar::qt
