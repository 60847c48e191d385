// Threading: main thread only (see SparkleUpdater.hpp). ARC.

#include "adapters/macos/SparkleUpdater.hpp"

#import <Sparkle/Sparkle.h>

#include "adapters/macos/MakeUpdater.hpp"

namespace stowbar {

struct SparkleUpdater::Controller {
    SPUStandardUpdaterController* controller = nil;
};

SparkleUpdater::SparkleUpdater() : controller_(std::make_unique<Controller>()) {}

SparkleUpdater::~SparkleUpdater() = default;

void SparkleUpdater::start() {
    if (controller_->controller != nil) {
        return;
    }
    controller_->controller = [[SPUStandardUpdaterController alloc] initWithStartingUpdater:YES
                                                                            updaterDelegate:nil
                                                                         userDriverDelegate:nil];
}

void SparkleUpdater::checkForUpdates() {
    [controller_->controller checkForUpdates:nil];
}

std::unique_ptr<Updater> makeUpdater() {
    return std::make_unique<SparkleUpdater>();
}

}  // namespace stowbar
