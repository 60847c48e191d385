// stowbar-sim: builds the platform of a simulated desktop from a scenario file and hands it to
// the same StowbarApp as the real program. Files stay real; everything this machine has no
// counterpart for comes from the scenario.

#include <iostream>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include <thread>
#include "adapters/plist/LibplistReader.hpp"
#include "adapters/posix/PosixFileSystem.hpp"
#include "adapters/posix/PosixSystemInfo.hpp"
#include "adapters/qt/QtImageRenderer.hpp"
#include "adapters/sim/DesktopSimulation.hpp"
#include "adapters/sim/ScenarioLoader.hpp"
#include "adapters/sim/ScriptedApplication.hpp"
#include "adapters/sim/SimulatedAccessibility.hpp"
#include "adapters/sim/SimulatedFileSystem.hpp"
#include "adapters/sim/SimulatedScreenCapture.hpp"
#include "adapters/sim/SimulatedShell.hpp"
#include "adapters/sim/SimulatedWorkspace.hpp"
#include "core/ControlCenterTrackedApps.hpp"
#include "core/Stowbar.hpp"
#include "runtime/ManualExecutor.hpp"

namespace {

constexpr int kUsageStatus = 2;
constexpr const char* kUsage = "usage: stowbar-sim [--snapshots DIR] SCENARIO.json [ARGS...]";

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
    stowbar::SimulatedAccessibility simulatedAccessibility(simulation);
    stowbar::ScanRecordingAccessibility accessibility(simulatedAccessibility,
                                                      std::this_thread::get_id());
    stowbar::SimulatedWorkspace workspace(simulation);
    stowbar::SimulatedScreenCapture screenCapture(simulation);
    const stowbar::QtImageRenderer imageRenderer;
    stowbar::SimulatedShell shell(files);
    // The script writes the real Control Center file under $HOME, where the program reads it.
    const std::string prefsPath = stowbar::expandTildeInPath(
        stowbar::ControlCenterTrackedApps::kGroupPrefsPath, system.homeDirectory());
    stowbar::ScriptedApplication application(simulation, workspace, shell, accessibility, prefsPath,
                                             std::cout);
    // The transcript's "published" lines come from the controller the delegate built.
    application.onLaunched = [&application](stowbar::ApplicationDelegate& launched) {
        auto* delegate = dynamic_cast<stowbar::AppDelegate*>(&launched);
        if (delegate == nullptr || !delegate->controller()) {
            return;
        }
        std::weak_ptr<stowbar::MenuBarController> weakController = delegate->controller();
        delegate->controller()->observe(
            [&application, weakController](stowbar::MenuBarController::Field field) {
                if (field != stowbar::MenuBarController::Field::hiddenItems) {
                    return;
                }
                // Observers hear of an assignment just before it; the list is read a turn later.
                application.mainExecutor().post([&application, weakController] {
                    if (auto controller = weakController.lock()) {
                        std::vector<std::string> names;
                        for (const auto& item : controller->hiddenItems()) {
                            names.push_back(item.appName);
                        }
                        application.published(names);
                    }
                });
            });
    };
    const stowbar::Platform platform{system,    files,         propertyLists, accessibility,
                                     workspace, screenCapture, imageRenderer, application,
                                     std::cout, &shell.ports};

    // The program sees its own path first and then only the arguments after the scenario.
    std::vector<std::string> arguments{given[0]};
    arguments.insert(arguments.end(), given.begin() + static_cast<std::ptrdiff_t>(next),
                     given.end());
    return stowbar::StowbarApp::main(arguments, platform);
}
