#pragma once

#include <QElapsedTimer>
#include <QPointer>
#include <QRect>
#include <QSize>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "adapters/qt/PanelWidgetHost.hpp"
#include "platform/PanelHost.hpp"
#include "platform/ShellPorts.hpp"

class QSystemTrayIcon;
class QWidget;

namespace stowbar::qt {

class PopupWindow;

// The status item, the popover and the global click monitor on a Linux desktop, with Qt.
//
// Status item: a QSystemTrayIcon showing our own drawing of the requested symbol, with the
// accessibility description as its tooltip. A plain (left) click calls the item's action. A
// desktop often starts its autostart entries before its panel and tray: when there is no system
// tray yet, the item is made but not shown, and the shell looks for a tray on each tick of the
// delegate's poll (lookAgain) and shows the item as soon as one is there. Once shown, Qt itself
// docks it again whenever a tray is replaced or restarted.
//
// Popover: a frameless Qt::Popup window with a rounded, translucent background (cut to its
// rounded shape instead where the desktop cannot blend translucent windows) that hosts the
// hidden item panel (this object is also the panel's host, so the panel lives inside the popup).
// It opens centred below the tray icon's geometry; when the tray does not say where the icon is
// (many StatusNotifierItem trays report an empty geometry), below the top-right corner of the
// primary screen. When there is no room below the anchor it opens above it instead, so that a
// tray at the bottom of the screen still works. didShow is called on a later turn of the loop.
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
class QtShell final : public StatusBar, public Popover, public EventMonitor, public PanelHost {
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

    // Popover
    void configure(Size contentSize, std::function<void()> didShow) override;
    bool isShown() const override;
    void show() override;
    void close() override;
    void setContentSize(Size size) override;
    std::optional<Size> preferredContentSize() const override;

    // EventMonitor
    std::optional<Token> addGlobalLeftMouseDownMonitor(std::function<void()> handler) override;
    void removeMonitor(Token token) override;

    // PanelHost
    void setPanelActions(PanelActions actions) override;
    void setPanelInputs(const PanelInputs& inputs) override;

    // Whether the desktop shows tray icons; asks Qt unless replaced (tests replace it).
    std::function<bool()> trayAvailable;
    // Whether the item is made and still waits for a tray to appear in.
    bool waitingForTray() const;
    // Whether the desktop blends translucent windows (on X11: whether a compositing manager
    // runs); asked each time the popup opens, as a compositor may start or stop meanwhile.
    // Tests replace it.
    std::function<bool()> translucencyAvailable;
    // Where the popup hangs from, in global coordinates, instead of the tray icon's geometry.
    std::optional<QRect> anchorOverride;

    // The popup window, null until first needed; the hosted panel, null until its actions came.
    QWidget* popupWindow() const;
    HiddenItemPanel* panel() const { return host_ ? host_->panel() : nullptr; }
    QSystemTrayIcon* trayIcon() const { return trayIcon_.get(); }

    // Where a popup of `size` goes for `anchor` on a screen whose usable area is `screen`:
    // centred below the anchor, kept inside the screen, above the anchor when it does not fit
    // below.
    static QRect popupFrame(const QRect& anchor, const QSize& size, const QRect& screen);
    // Centres `child` in `window`, its top-left kept inside it. macOS's popover window shares it.
    static void centreChild(QWidget& window, QWidget* child);

  private:
    bool ensurePopup();
    QRect anchor() const;
    void placePopup();
    void onOutsidePress(QPoint globalPosition, bool leftButton);
    void onTrayActivated(int reason);

    Size contentSize_{300, 200};
    std::function<void()> didShow_;
    std::function<void()> action_;
    std::unique_ptr<QSystemTrayIcon> trayIcon_;
    bool waitingForTray_ = false;
    std::unique_ptr<PopupWindow> popup_;
    std::unique_ptr<PanelWidgetHost> host_;
    std::map<Token, std::function<void()>> monitors_;
    Token lastToken_ = 0;
    // When the grab closed the popup because of a press on the tray icon.
    std::optional<QElapsedTimer> closedByIconPress_;
};

}  // namespace stowbar::qt
