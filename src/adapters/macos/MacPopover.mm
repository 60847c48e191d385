// Threading: main thread only (see MacPopover.hpp). Objective-C++ only to activate the
// application; everything else is Qt. ARC.

#include "adapters/macos/MacPopover.hpp"

#import <AppKit/AppKit.h>

#include <QApplication>
#include <QMetaObject>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <utility>

#include "adapters/qt/PanelStyle.hpp"
#include "adapters/qt/PanelWidgetHost.hpp"
#include "adapters/qt/QtShell.hpp"

namespace stowbar {

namespace {

// The window's corners match the panel's own rounded shape.
constexpr double kCornerRadius = 10;

int rounded(double value) {
    if (!std::isfinite(value) || value < 1) {
        return 1;
    }
    return static_cast<int>(std::lround(std::min(value, 16384.0)));
}

}  // namespace

// The popover's window: draws the rounded fill the panel sits on and keeps the panel centred.
class MacPopover::Window final : public QWidget {
  public:
    Window() : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
        setAttribute(Qt::WA_TranslucentBackground);
        // Cocoa hides tool windows when their application deactivates, which an agent
        // application does as soon as the user looks elsewhere.
        setAttribute(Qt::WA_MacAlwaysShowToolWindow);
        setWindowTitle(QStringLiteral("Stowbar"));
    }

    void centreChild() { qt::QtShell::centreChild(*this, content); }

    QPointer<QWidget> content;

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QPainterPath shape;
        shape.addRoundedRect(QRectF(rect()).adjusted(0.25, 0.25, -0.25, -0.25), kCornerRadius,
                             kCornerRadius);
        painter.fillPath(shape, qt::colourFor(qt::Colour::popoverFill, palette()));
        painter.setPen(QPen(qt::colourFor(qt::Colour::separator, palette()), 0.5));
        painter.drawPath(shape);
    }

    void resizeEvent(QResizeEvent* event) override {
        QWidget::resizeEvent(event);
        centreChild();
    }
};

MacPopover::MacPopover(std::function<std::optional<Rect>()> anchor) : anchor_(std::move(anchor)) {}

MacPopover::~MacPopover() {
    // The panel belongs to the window; the host only forgets it.
    host_.reset();
    window_.reset();
}

bool MacPopover::ensureWindow() {
    if (window_) {
        return true;
    }
    if (QApplication::instance() == nullptr) {
        return false;
    }
    window_ = std::make_unique<Window>();
    return true;
}

void MacPopover::configure(Size contentSize, std::function<void()> didShow) {
    contentSize_ = contentSize;
    didShow_ = std::move(didShow);
    if (window_) {
        place();
    }
}

bool MacPopover::isShown() const {
    return window_ && window_->isVisible();
}

void MacPopover::show() {
    if (!ensureWindow()) {
        return;
    }
    place();
    if (window_->isVisible()) {
        return;
    }
    window_->show();
    // The panel lays itself out when first shown; only then is its size final, so it is
    // centred again now, as the Qt shell does.
    window_->centreChild();
    window_->raise();
    // An agent application is not active while the user works elsewhere; the window can only
    // become the key window once it is.
    [NSApp activate];
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

void MacPopover::close() {
    if (window_) {
        window_->hide();
    }
}

void MacPopover::setContentSize(Size size) {
    contentSize_ = size;
    if (window_) {
        place();
    }
}

std::optional<Size> MacPopover::preferredContentSize() const {
    return host_ ? host_->preferredSize() : std::nullopt;
}

void MacPopover::place() {
    const QSize size(rounded(contentSize_.width), rounded(contentSize_.height));
    const std::optional<Rect> frame = anchor_ ? anchor_() : std::nullopt;
    const QScreen* primary = QGuiApplication::primaryScreen();
    // Without a status item on screen, hang from the top-right corner of the main display,
    // where the item would be.
    QRect from = primary != nullptr
                     ? QRect(primary->geometry().right(), primary->geometry().y(), 1, 0)
                     : QRect(0, 0, 1, 0);
    if (frame) {
        from = QRect(static_cast<int>(std::lround(frame->origin.x)),
                     static_cast<int>(std::lround(frame->origin.y)),
                     static_cast<int>(std::lround(frame->size.width)),
                     static_cast<int>(std::lround(frame->size.height)));
    }
    const QScreen* screen = QGuiApplication::screenAt(from.center());
    if (screen == nullptr) {
        screen = primary;
    }
    const QRect area = screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 1440, 900);
    window_->setGeometry(qt::QtShell::popupFrame(from, size, area));
}

void MacPopover::setPanelActions(PanelActions actions) {
    if (!ensureWindow()) {
        return;
    }
    if (!host_) {
        host_ = std::make_unique<qt::PanelWidgetHost>(window_.get());
        host_->onRedraw = [this](qt::HiddenItemPanel& panel) {
            window_->content = &panel;
            window_->centreChild();
        };
    }
    host_->setPanelActions(std::move(actions));
    window_->content = host_->panel();
    window_->centreChild();
}

void MacPopover::setPanelInputs(const PanelInputs& inputs) {
    if (host_) {
        host_->setPanelInputs(inputs);
    }
}

}  // namespace stowbar
