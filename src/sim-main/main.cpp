// stowbar-sim: builds the platform of a simulated desktop from a scenario file and hands it to
// the same StowbarApp as the real program. Files stay real; everything this machine has no
// counterpart for comes from the scenario.

#include <iostream>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "adapters/plist/LibplistReader.hpp"
#include "adapters/posix/PosixFileSystem.hpp"
#include "adapters/posix/PosixSystemInfo.hpp"
#include "adapters/qt/QtImageRenderer.hpp"
#include "adapters/sim/DesktopSimulation.hpp"
#include "adapters/sim/ScenarioLoader.hpp"
#include "adapters/sim/SimulatedAccessibility.hpp"
#include "adapters/sim/SimulatedFileSystem.hpp"
#include "adapters/sim/SimulatedScreenCapture.hpp"
#include "adapters/sim/SimulatedWorkspace.hpp"
#include "core/Stowbar.hpp"
#include "runtime/ManualExecutor.hpp"

namespace {

constexpr int kUsageStatus = 2;
constexpr const char* kUsage = "usage: stowbar-sim [--snapshots DIR] SCENARIO.json [ARGS...]";

// Until the simulated shell runs the script on virtual time, a run without "--diagnose"
// launches the application and ends it at once, through the normal termination path.
class LaunchAndQuitApplication final : public stowbar::Application {
  public:
    void run(stowbar::ApplicationDelegate& delegate) override {
        delegate.applicationDidFinishLaunching();
        delegate.applicationWillTerminate();
    }
    void terminate() override {}
    stowbar::MainExecutor& mainExecutor() override { return executor_; }

  private:
    stowbar::ManualExecutor executor_;
};

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> given(argv, argv + argc);
    std::size_t next = 1;
    [[maybe_unused]] std::optional<std::string> snapshots;
    if (next < given.size() && given[next] == "--snapshots") {
        if (next + 1 >= given.size()) {
            std::cerr << kUsage << '\n';
            return kUsageStatus;
        }
        // Pictures of the panel are drawn once the simulated shell has a panel to draw.
        snapshots = given[next + 1];
        next += 2;
    }
    if (next >= given.size()) {
        std::cerr << kUsage << '\n';
        return kUsageStatus;
    }
    const std::string& scenarioPath = given[next++];

    stowbar::PosixFileSystem realFiles;
    auto scenario = stowbar::ScenarioLoader::load(realFiles, scenarioPath);
    if (const auto* error = std::get_if<stowbar::ScenarioError>(&scenario)) {
        std::cerr << "stowbar-sim: " << stowbar::ScenarioLoader::describe(scenarioPath, *error)
                  << '\n';
        return kUsageStatus;
    }

    stowbar::DesktopSimulation simulation(std::get<stowbar::SimulatedDesktop>(std::move(scenario)));
    const stowbar::PosixSystemInfo realSystem;
    const stowbar::SimulatedSystemInfo system(realSystem, simulation);
    const stowbar::SimulatedFileSystem files(realFiles, simulation);
    const stowbar::LibplistReader propertyLists;
    stowbar::SimulatedAccessibility accessibility(simulation);
    stowbar::SimulatedWorkspace workspace(simulation);
    stowbar::SimulatedScreenCapture screenCapture(simulation);
    const stowbar::QtImageRenderer imageRenderer;
    LaunchAndQuitApplication application;
    const stowbar::Platform platform{system,        files,       propertyLists,
                                     accessibility, workspace,   screenCapture,
                                     imageRenderer, application, std::cout};

    // The program sees its own path first and then only the arguments after the scenario.
    std::vector<std::string> arguments{given[0]};
    arguments.insert(arguments.end(), given.begin() + static_cast<std::ptrdiff_t>(next),
                     given.end());
    return stowbar::StowbarApp::main(arguments, platform);
}
