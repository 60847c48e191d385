#pragma once

#include <memory>

#include "platform/ShellPorts.hpp"

namespace stowbar {

// The updater through Sparkle 2's SPUStandardUpdaterController, made by start() with the
// updater started and neither an updater nor a user-driver delegate. Sparkle reads its feed
// (SUFeedURL) and signing key (SUPublicEDKey) from the bundle's Info.plist, and runs its own
// schedule and windows. Built only with the CMake option STOWBAR_SPARKLE.
//
// Threading: main thread only, as Sparkle requires.
class SparkleUpdater final : public Updater {
  public:
    SparkleUpdater();
    ~SparkleUpdater() override;
    SparkleUpdater(const SparkleUpdater&) = delete;
    SparkleUpdater& operator=(const SparkleUpdater&) = delete;

    void start() override;
    void checkForUpdates() override;

  private:
    struct Controller;
    std::unique_ptr<Controller> controller_;
};

}  // namespace stowbar
