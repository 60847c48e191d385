#pragma once

#include <memory>
#include <optional>

#include "platform/Geometry.hpp"
#include "platform/ShellPorts.hpp"

namespace stowbar {

// Stowbar's own NSStatusItem, of square length, whose button shows the named system symbol as a
// template image (so the menu bar tints it) and calls the action when clicked. Qt's tray icon is
// not used on macOS: its click handler can raise an exception from inside AppKit.
//
// Threading: main thread only; the action is called on the main thread when AppKit sends the
// button's action. Lifetime: the item stays in the menu bar until this object is destroyed.
class MacStatusBar final : public StatusBar {
  public:
    MacStatusBar();
    ~MacStatusBar() override;
    MacStatusBar(const MacStatusBar&) = delete;
    MacStatusBar& operator=(const MacStatusBar&) = delete;

    bool addStatusItem(const std::string& symbolName, const std::string& accessibilityDescription,
                       std::function<void()> action) override;

    // The frame of the window that holds the item's button, in Qt's global coordinates (points,
    // origin at the top-left of the main display, y growing downwards); absent while there is no
    // button on screen.
    std::optional<Rect> buttonFrame() const;

  private:
    struct Item;
    std::unique_ptr<Item> item_;
};

}  // namespace stowbar
