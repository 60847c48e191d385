#pragma once

#include "platform/ShellPorts.hpp"

namespace stowbar {

// The updater of a build made without Sparkle: there is none, and it says so, so the panel
// offers no update control; starting and checking do nothing.
//
// Threading: main thread only; stateless.
class AbsentUpdater final : public Updater {
  public:
    void start() override {}
    void checkForUpdates() override {}
    bool isAvailable() const override { return false; }
};

}  // namespace stowbar
