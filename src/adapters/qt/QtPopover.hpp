#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <Qt>

#include <functional>
#include <memory>
#include <optional>

#include "platform/Geometry.hpp"
#include "platform/PanelHost.hpp"
#include "platform/ShellPorts.hpp"

class QWidget;

namespace stowbar::qt {

class HiddenItemPanel;
class PanelWidgetHost;
class PopupWindow;

// The popover as a Qt window that hosts the panel, shared by the shells of every
// system: a frameless window with a rounded background (translucent where the desktop blends
// translucent windows, cut to its rounded shape where it does not) at the size the core asks
// for, the panel centred in it. This object is also the panel's host, so the panel lives inside
// the window. The window opens centred below the anchor the shell names, kept on the anchor's
// screen, above the anchor when there is no room below; without an anchor, below the top-right
// corner of the primary screen's usable area, where a tray or status item usually is. didShow
// is called on a later turn of the loop. The window does not close itself on a click elsewhere,
// unless its kind (a Qt::Popup) makes Qt do so.
//
// A shell derives from it and says what kind of window the popover is, where it hangs from,
// what else opening it takes, and what a press from outside means.
//
// Creating one creates no Qt object: the window is built on first use, which must come after the
// QApplication exists (the delegate's launch runs inside the loop). Without a QApplication it is
// never built.
//
// Threading: main thread only. Lifetime: must be destroyed before the QApplication.
class QtPopover : public Popover, public PanelHost {
  public:
    ~QtPopover() override;
    QtPopover(const QtPopover&) = delete;
    QtPopover& operator=(const QtPopover&) = delete;

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

    // Whether the desktop blends translucent windows; asked each time the window opens, as a
    // compositor may start or stop meanwhile. Asks the system unless replaced (tests replace it).
    std::function<bool()> translucencyAvailable;

    // The window, null until first needed; the hosted panel, null until its actions came.
    QWidget* popupWindow() const;
    HiddenItemPanel* panel() const;

    // Where a popover of `size` goes for `anchor` on a screen whose usable area is `screen`:
    // centred below the anchor, kept inside the screen, above the anchor when it does not fit
    // below.
    static QRect popupFrame(const QRect& anchor, const QSize& size, const QRect& screen);

  protected:
    // `windowKind`: the window type and hints of the popover's window, which is always
    // frameless.
    explicit QtPopover(Qt::WindowFlags windowKind);

    // Where the popover hangs from, in global coordinates; absent when the system does not say.
    virtual std::optional<QRect> anchor() const = 0;
    // Called each time the window opens, once it is shown and raised and before it is made
    // active.
    virtual void opening() {}
    // A press from outside the open window, which reaches it only through a Qt::Popup's grab
    // (Qt then closes the window): where, in global coordinates, and whether with the left
    // button.
    virtual void pressedOutside(QPoint globalPosition, bool leftButton);

  private:
    bool ensureWindow();
    void place();

    Qt::WindowFlags windowKind_;
    Size contentSize_{300, 200};
    std::function<void()> didShow_;
    std::unique_ptr<PopupWindow> window_;
    std::unique_ptr<PanelWidgetHost> host_;
};

}  // namespace stowbar::qt
