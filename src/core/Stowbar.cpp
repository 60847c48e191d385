#include "core/Stowbar.hpp"

#include <algorithm>

#include "core/StowbarDiagnostics.hpp"

namespace stowbar {

AppDelegate::AppDelegate(const Platform& platform) : platform_(platform) {}

void AppDelegate::applicationDidFinishLaunching() {
    launched_ = true;
}

void AppDelegate::applicationWillTerminate() {
    // A termination before launch finished, or a second one, finds nothing to stop.
    if (!launched_ || terminated_) {
        return;
    }
    terminated_ = true;
}

int StowbarApp::main(const std::vector<std::string>& arguments, const Platform& platform) {
    // Exact, whole-argument match in any position; every other argument is ignored.
    if (std::find(arguments.begin(), arguments.end(), "--diagnose") != arguments.end()) {
        StowbarDiagnostics::run(platform);
        return 0;
    }
    // The local delegate is the one that keeps it alive for the whole life of the loop.
    AppDelegate delegate(platform);
    platform.application.run(delegate);
    return 0;
}

}  // namespace stowbar
