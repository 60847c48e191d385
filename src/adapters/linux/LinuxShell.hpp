#pragma once

#include "platform/ShellPorts.hpp"

namespace stowbar {

// Stand-ins for the running application's ports that have no Linux counterpart yet. Each one
// is honest about it: nothing is shown, nothing is registered, and no update check is claimed.

// No tray item yet: the item has no button, so the popover never opens.
class LinuxStatusBar final : public StatusBar {
  public:
    bool addStatusItem(const std::string&, const std::string&, std::function<void()>) override {
        return false;
    }
};

class LinuxPopover final : public Popover {
  public:
    void configure(Size, std::function<void()>) override {}
    bool isShown() const override { return false; }
    void show() override {}
    void close() override {}
    void setContentSize(Size) override {}
    std::optional<Size> preferredContentSize() const override { return std::nullopt; }
};

// Clicks in other applications are not observable here.
class LinuxEventMonitor final : public EventMonitor {
  public:
    std::optional<Token> addGlobalLeftMouseDownMonitor(std::function<void()>) override {
        return std::nullopt;
    }
    void removeMonitor(Token) override {}
};

// The program never runs from an application bundle on Linux, so registration is skipped before
// the status is ever asked for.
class LinuxLoginItemService final : public LoginItemService {
  public:
    std::string mainBundlePathExtension() const override { return {}; }
    LoginItemStatus status() const override { return LoginItemStatus::notFound; }
    bool registerMainApp() override { return false; }
};

// Only the login item's approval notice uses alerts, and it never appears on Linux.
class LinuxAlerts final : public Alerts {
  public:
    int runModal(const AlertDescription&) override { return 0; }
};

// There is no updater framework on Linux: starting does nothing and a check does nothing
// visible, rather than pretending that one took place.
class LinuxUpdater final : public Updater {
  public:
    void start() override {}
    void checkForUpdates() override {}
};

}  // namespace stowbar
