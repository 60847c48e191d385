#pragma once

#include <memory>

#include "platform/ShellPorts.hpp"

namespace stowbar {

// Left clicks in other applications, through AppKit's global event monitor
// (addGlobalMonitorForEventsMatchingMask: with the left-mouse-down mask). AppKit calls global
// monitors only for events sent to other applications, which is exactly what the port asks.
// Absent when AppKit installed no monitor.
//
// Threading: main thread only. AppKit calls the handler on the main thread; each call first looks
// its token up, so a monitor removed by removeMonitor is never called again. Lifetime: monitors
// still installed are removed by the destructor.
class MacEventMonitor final : public EventMonitor {
  public:
    MacEventMonitor();
    ~MacEventMonitor() override;
    MacEventMonitor(const MacEventMonitor&) = delete;
    MacEventMonitor& operator=(const MacEventMonitor&) = delete;

    std::optional<Token> addGlobalLeftMouseDownMonitor(std::function<void()> handler) override;
    void removeMonitor(Token token) override;

  private:
    struct Monitors;
    std::shared_ptr<Monitors> monitors_;
};

}  // namespace stowbar
