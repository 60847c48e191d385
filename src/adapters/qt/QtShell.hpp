#pragma once

#include <QElapsedTimer>
#include <QPoint>
#include <QRect>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "adapters/qt/QtPopover.hpp"
#include "platform/ShellPorts.hpp"

class QSystemTrayIcon;

namespace stowbar::qt {

// The status item, the popover and the global click monitor on a Linux desktop, with Qt.
//
// Status item: a QSystemTrayIcon showing our own drawing of the requested symbol, with the
// accessibility description as its tooltip. A plain (left) click calls the item's action. A
// desktop often starts its autostart entries before its panel and tray: when there is no system
// tray yet, the item is made but not shown, and the shell looks for a tray on each tick of the
// delegate's poll (lookAgain) and shows the item as soon as one is there. Once shown, Qt itself
// docks it again whenever a tray is replaced or restarted.
//
// Popover: the shared Qt popover (QtPopover.hpp) as a Qt::Popup window, hung from the tray
// icon's geometry; when the tray does not say where the icon is (many StatusNotifierItem trays
// report an empty geometry), from the top-right corner of the primary screen. When there is no
// room below the anchor it opens above it instead, so that a tray at the bottom of the screen
// still works.
//
// Click monitor: X11 gives an application no portable way to see clicks made in other
// applications without extensions that need more privileges than a tray utility should ask
// for. What we use instead is the grab Qt::Popup takes while it is open: every press outside
// the popup is first delivered to the popup itself, which Qt then closes (the transient
// behaviour). A left press that lands neither inside the popup nor on our tray icon is reported
// to the installed monitors, on a later turn, as a click in another application. Right and
// middle presses close the popup through the grab alone and reach no monitor. We chose this
// over watching the popup lose activation because a popup window is never activated by the
// window manager in the first place, and over an application-wide event filter because presses
// in other applications never reach our event queue except through this grab. While the popup
// is closed, monitors stay installed but hear nothing.
//
// A press on our own tray icon while the popup is open also closes the popup through the grab;
// the activation the tray may deliver right after it is then dropped, so that a click on the
// icon closes an open popup instead of closing and reopening it.
//
// Creating a QtShell creates no Qt object: the tray icon and the popup are built on first use,
// which must come after the QApplication exists (the delegate's launch runs inside the loop).
// Without a QApplication the item has no button and the popup is never built.
//
// Threading: main thread only. Lifetime: must be destroyed before the QApplication.
class QtShell final : public StatusBar, public QtPopover, public EventMonitor {
  public:
    QtShell();
    ~QtShell() override;
    QtShell(const QtShell&) = delete;
    QtShell& operator=(const QtShell&) = delete;

    // StatusBar
    bool addStatusItem(const std::string& symbolName, const std::string& accessibilityDescription,
                       std::function<void()> action) override;
    // Shows an item that waits for a tray once there is one.
    void lookAgain() override;

    // EventMonitor
    std::optional<Token> addGlobalLeftMouseDownMonitor(std::function<void()> handler) override;
    void removeMonitor(Token token) override;

    // Whether the desktop shows tray icons; asks Qt unless replaced (tests replace it).
    std::function<bool()> trayAvailable;
    // Whether the item is made and still waits for a tray to appear in.
    bool waitingForTray() const;
    // Where the popup hangs from, in global coordinates, instead of the tray icon's geometry.
    std::optional<QRect> anchorOverride;
    QSystemTrayIcon* trayIcon() const { return trayIcon_.get(); }

  private:
    // QtPopover
    std::optional<QRect> anchor() const override;
    void opening() override;
    void pressedOutside(QPoint globalPosition, bool leftButton) override;

    void onTrayActivated(int reason);

    std::function<void()> action_;
    std::unique_ptr<QSystemTrayIcon> trayIcon_;
    bool waitingForTray_ = false;
    std::map<Token, std::function<void()>> monitors_;
    Token lastToken_ = 0;
    // When the grab closed the popup because of a press on the tray icon.
    std::optional<QElapsedTimer> closedByIconPress_;
};

}  // namespace stowbar::qt
