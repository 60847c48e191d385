#pragma once

#include "platform/ShellPorts.hpp"

namespace stowbar {

// Alerts as NSAlert: the port's styles have AppKit's own numbers (warning 0, informational 1,
// critical 2), buttons are added in order, and the answer is the chosen button's index counted
// from NSAlertFirstButtonReturn. The application is activated first, so that an agent
// application's alert does not open behind the active application's windows.
//
// Threading: main thread only; runModal runs AppKit's modal loop and returns when the alert is
// dismissed.
class MacAlerts final : public Alerts {
  public:
    int runModal(const AlertDescription& alert) override;
};

}  // namespace stowbar
