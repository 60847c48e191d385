#include "adapters/qt/QtShell.hpp"

#include <QApplication>
#include <QIcon>
#include <QMetaObject>
#include <QPainter>
#include <QPalette>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "adapters/qt/QtPopover.hpp"
#include "adapters/qt/SymbolPainter.hpp"
#include "platform/ShellPorts.hpp"

namespace stowbar::qt {

namespace {

// A tray activation this soon after the popup was closed by a press on the tray icon is the
// same click reaching the icon; it must not reopen the popup.
constexpr qint64 kIconPressActivationMilliseconds = 500;
// The sizes trays ask icons for; each is drawn at its own size rather than scaled.
constexpr int kIconSizes[] = {16, 22, 24, 32, 48, 64};

QIcon symbolIcon(const std::string& symbolName) {
    const QColor colour = QApplication::palette().color(QPalette::WindowText);
    QIcon icon;
    for (const int side : kIconSizes) {
        QPixmap pixmap(side, side);
        pixmap.fill(Qt::transparent);
        {
            QPainter painter(&pixmap);
            painter.setRenderHint(QPainter::Antialiasing);
            // A little inset, as symbols sit in a menu bar with some air around them.
            const double inset = side / 8.0;
            paintSymbol(painter, symbolName,
                        QRectF(inset, inset, side - 2 * inset, side - 2 * inset), colour);
        }
        icon.addPixmap(pixmap);
    }
    // The nearest thing to a template image: trays that recolour monochrome icons may do so.
    icon.setIsMask(true);
    return icon;
}

}  // namespace

QtShell::QtShell() : QtPopover(Qt::Popup | Qt::NoDropShadowWindowHint) {}

QtShell::~QtShell() = default;

bool QtShell::addStatusItem(const std::string& symbolName,
                            const std::string& accessibilityDescription,
                            std::function<void()> action) {
    if (QApplication::instance() == nullptr || trayIcon_) {
        return false;
    }
    action_ = std::move(action);
    trayIcon_ = std::make_unique<QSystemTrayIcon>();
    trayIcon_->setIcon(symbolIcon(symbolName));
    trayIcon_->setToolTip(QString::fromStdString(accessibilityDescription));
    QObject::connect(trayIcon_.get(), &QSystemTrayIcon::activated, trayIcon_.get(),
                     [this](QSystemTrayIcon::ActivationReason reason) {
                         onTrayActivated(static_cast<int>(reason));
                     });
    // Shown at once where there is a tray; otherwise as soon as a later look finds one.
    waitingForTray_ = true;
    lookAgain();
    return true;
}

void QtShell::lookAgain() {
    if (!trayIcon_ || !waitingForTray_) {
        return;
    }
    const bool available =
        trayAvailable ? trayAvailable() : QSystemTrayIcon::isSystemTrayAvailable();
    if (available) {
        waitingForTray_ = false;
        trayIcon_->show();
    }
}

bool QtShell::waitingForTray() const {
    return waitingForTray_;
}

void QtShell::onTrayActivated(int reason) {
    // Only a plain click toggles; the second half of a double click, a middle click or a
    // context request does not.
    if (reason != QSystemTrayIcon::Trigger) {
        return;
    }
    if (closedByIconPress_) {
        const bool sameClick = closedByIconPress_->elapsed() < kIconPressActivationMilliseconds;
        closedByIconPress_.reset();
        if (sameClick) {
            return;
        }
    }
    if (action_) {
        action_();
    }
}

std::optional<QRect> QtShell::anchor() const {
    if (anchorOverride) {
        return anchorOverride;
    }
    if (trayIcon_) {
        const QRect geometry = trayIcon_->geometry();
        if (geometry.isValid() && !geometry.isEmpty()) {
            return geometry;
        }
    }
    return std::nullopt;
}

void QtShell::opening() {
    closedByIconPress_.reset();
}

std::optional<EventMonitor::Token> QtShell::addGlobalLeftMouseDownMonitor(
    std::function<void()> handler) {
    const Token token = ++lastToken_;
    monitors_.emplace(token, std::move(handler));
    return token;
}

void QtShell::removeMonitor(Token token) {
    monitors_.erase(token);
}

void QtShell::pressedOutside(QPoint globalPosition, bool leftButton) {
    if (trayIcon_ && trayIcon_->geometry().contains(globalPosition)) {
        // Our own icon: not another application; its activation must not reopen the popup.
        closedByIconPress_.emplace();
        closedByIconPress_->start();
        return;
    }
    if (!leftButton) {
        return;
    }
    for (const auto& entry : monitors_) {
        // Each monitor hears the click on a turn of its own, and not once it was removed.
        QMetaObject::invokeMethod(
            popupWindow(),
            [this, id = entry.first] {
                if (const auto found = monitors_.find(id); found != monitors_.end()) {
                    // A copy, as the handler may remove its own monitor.
                    const auto handler = found->second;
                    handler();
                }
            },
            Qt::QueuedConnection);
    }
}

}  // namespace stowbar::qt
