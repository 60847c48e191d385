#include "core/Stowbar.hpp"

#include <algorithm>
#include <memory>

#include "core/StowbarDiagnostics.hpp"

namespace stowbar {

int StowbarApp::main(const std::vector<std::string>& arguments, const Platform& platform) {
    // Exact, whole-argument match in any position; every other argument is ignored.
    if (std::find(arguments.begin(), arguments.end(), "--diagnose") != arguments.end()) {
        StowbarDiagnostics::run(platform);
        return 0;
    }
    // This reference keeps the delegate alive for the whole life of the loop; everything it
    // hands out holds it weakly.
    auto delegate = std::make_shared<AppDelegate>(platform, platform.application.mainExecutor());
    platform.application.run(*delegate);
    return 0;
}

}  // namespace stowbar
