#pragma once

#include "platform/ShellPorts.hpp"

namespace stowbar {

// Stand-ins for the running application's ports that have no Linux counterpart. Each one is
// honest about it: nothing is registered and no update check is claimed. The status item,
// popover and click monitor are Qt's (adapters/qt/QtShell.hpp).

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

// There is no updater framework on Linux, and it says so: the panel offers no update check,
// starting does nothing and a check would do nothing visible.
class LinuxUpdater final : public Updater {
  public:
    bool isAvailable() const override { return false; }
    void start() override {}
    void checkForUpdates() override {}
};

}  // namespace stowbar
