#include "adapters/sim/SimulatedWorkspace.hpp"

#include "adapters/sim/SimulatedPictures.hpp"

namespace stowbar {

std::vector<RunningApplication> SimulatedWorkspace::runningApplications() const {
    const auto state = simulation_.lock();
    std::vector<RunningApplication> running;
    running.reserve(state->desktop.applications.size());
    for (const auto& application : state->desktop.applications) {
        running.push_back(RunningApplication{
            application.pid, application.activationPolicy, application.name,
            application.bundleIdentifier,
            application.icon ? simulatedApplicationIcon(application.pid) : nullptr});
    }
    return running;
}

}  // namespace stowbar
