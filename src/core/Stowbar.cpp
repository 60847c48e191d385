#include "core/Stowbar.hpp"

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/AppDelegate.hpp"
#include "core/StowbarDiagnostics.hpp"
#include "platform/InstanceLock.hpp"
#include "platform/Platform.hpp"

namespace stowbar {

int StowbarApp::main(const std::vector<std::string>& arguments, const Platform& platform,
                     const std::function<void(AppDelegate&)>& built) {
    // Exact, whole-argument match in any position; every other argument is ignored.
    if (std::find(arguments.begin(), arguments.end(), "--diagnose") != arguments.end()) {
        StowbarDiagnostics::run(platform);
        return 0;
    }
    // A second start (autostart plus a manual one) leaves the running instance alone and ends
    // quietly, as successfully as if it had been the first. A lock that cannot be made at all
    // does not keep the program from running.
    if (platform.shell.instanceLock != nullptr &&
        platform.shell.instanceLock->acquire() == InstanceLockResult::heldByAnotherProcess) {
        return 0;
    }
    // This reference keeps the delegate alive for the whole life of the loop; everything it
    // hands out holds it weakly.
    auto delegate = std::make_shared<AppDelegate>(platform, platform.application.mainExecutor());
    if (built) {
        built(*delegate);
    }
    platform.application.run(*delegate);
    return 0;
}

}  // namespace stowbar
