#pragma once

#include "platform/ShellPorts.hpp"

namespace stowbar {

// Registers the application as a login item at every launch, and tells the user when the
// system wants their approval first. It keeps no state: every launch decides again from the
// service's status.
//
// Threading: main thread only. The ports are borrowed and must outlive the manager.
class LaunchAtLoginManager {
  public:
    LaunchAtLoginManager(LoginItemService& service, Alerts& alerts)
        : service_(service), alerts_(alerts) {}

    // Does nothing outside an application bundle or when the item is already enabled. A
    // refused registration is swallowed and not retried during this run. May run a modal alert.
    void registerIfNeeded();

  private:
    void presentApprovalNotice();

    LoginItemService& service_;
    Alerts& alerts_;
};

}  // namespace stowbar
