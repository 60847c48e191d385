// stowbar-sim: builds the platform of a simulated desktop from a scenario file and hands it to
// the same StowbarApp as the real program. Files stay real; everything this machine has no
// counterpart for comes from the scenario.

#include <QApplication>
#include <QByteArray>

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <thread>
#include <utility>
#include <variant>
#include <vector>

#include "adapters/plist/LibplistReader.hpp"
#include "adapters/posix/PosixFileSystem.hpp"
#include "adapters/posix/PosixSystemInfo.hpp"
#include "adapters/qt/PanelStyle.hpp"
#include "adapters/qt/QtImageRenderer.hpp"
#include "adapters/sim/DesktopSimulation.hpp"
#include "adapters/sim/SimulatedAccessibility.hpp"
#include "adapters/sim/SimulatedDesktop.hpp"
#include "adapters/sim/SimulatedFileSystem.hpp"
#include "adapters/sim/SimulatedScreenCapture.hpp"
#include "adapters/sim/SimulatedShell.hpp"
#include "adapters/sim/SimulatedWorkspace.hpp"
#include "core/AppDelegate.hpp"
#include "core/ControlCenterTrackedApps.hpp"
#include "core/MenuBarController.hpp"
#include "core/Stowbar.hpp"
#include "platform/Application.hpp"
#include "platform/FileSystem.hpp"
#include "platform/Platform.hpp"
#include "sim-main/DrawnPanel.hpp"
#include "sim-main/ScenarioLoader.hpp"
#include "sim-main/ScriptedApplication.hpp"
#include "sim-main/SimOptions.hpp"
#include "sim-main/SoakChurn.hpp"
#include "sim-main/SoakRun.hpp"

namespace {

using namespace stowbar;

constexpr int kUsageStatus = 2;

// The desktop the run starts from: the scenario's, or the default one for a soak without a
// scenario. None, once it has said why in one line, for a scenario that cannot be used.
std::optional<SimulatedDesktop> loadDesktop(const FileSystem& files, const std::string& path) {
    if (path.empty()) {
        return SimulatedDesktop{};
    }
    auto scenario = ScenarioLoader::load(files, path);
    if (const auto* error = std::get_if<ScenarioError>(&scenario)) {
        std::cerr << "stowbar-sim: " << ScenarioLoader::describe(path, *error) << '\n';
        return std::nullopt;
    }
    return std::get<SimulatedDesktop>(std::move(scenario));
}

// Makes the folder the pictures go to, or says in one line why it cannot be used.
std::optional<std::string> snapshotFolderProblem(const std::string& folder) {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (!error && !std::filesystem::is_directory(folder, error)) {
        error = std::make_error_code(std::errc::not_a_directory);
    }
    if (!error && access(folder.c_str(), W_OK | X_OK) != 0) {
        error = std::error_code(errno, std::generic_category());
    }
    if (!error) {
        return std::nullopt;
    }
    return "cannot write pictures to " + folder + ": " + error.message();
}

// Qt's notes that it picked a runtime directory of its own, or that the offscreen platform
// has no window manager to tell a fixed size, are about the machine, not the scenario; they
// would only make transcripts and reports differ between environments.
void quietQtMessages(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message.startsWith(QStringLiteral("QStandardPaths:")) ||
        message.contains(QStringLiteral("propagateSizeHints"))) {
        return;
    }
    std::cerr << qFormatLogMessage(type, context, message).toStdString() << '\n';
}

// The panel is drawn by Qt on its offscreen platform, whatever display there is, so that its
// sizes and pictures are the same on every machine.
class OffscreenQt {
  public:
    OffscreenQt(char* program, bool darkAppearance) : argv_{program, nullptr} {
        qputenv("QT_QPA_PLATFORM", QByteArray("offscreen"));
        qInstallMessageHandler(quietQtMessages);
        application_ = std::make_unique<QApplication>(argc_, argv_);
        // The offscreen platform's own palette is the light appearance.
        if (darkAppearance) {
            QApplication::setPalette(qt::darkPalette());
        }
    }
    OffscreenQt(const OffscreenQt&) = delete;
    OffscreenQt& operator=(const OffscreenQt&) = delete;
    ~OffscreenQt() = default;

  private:
    // Qt keeps both for as long as its application lives.
    int argc_ = 1;
    char* argv_[2];
    std::unique_ptr<QApplication> application_;
};

// The ports of the simulated desktop, with the real system and files under the ones that
// only add the scenario's part to them.
struct SimulatedPorts {
    SimulatedPorts(DesktopSimulation& simulation, const FileSystem& realFiles)
        : system(realSystem, simulation),
          files(realFiles, simulation),
          simulatedAccessibility(simulation),
          accessibility(simulatedAccessibility, std::this_thread::get_id()),
          workspace(simulation),
          screenCapture(simulation),
          shell(files) {}

    Platform platform(Application& application) {
        return Platform{system,        files,         propertyLists, accessibility, workspace,
                        screenCapture, imageRenderer, application,   std::cout,     shell.ports};
    }

    const PosixSystemInfo realSystem;
    SimulatedSystemInfo system;
    const SimulatedFileSystem files;
    const LibplistReader propertyLists;
    SimulatedAccessibility simulatedAccessibility;
    ScanRecordingAccessibility accessibility;
    SimulatedWorkspace workspace;
    SimulatedScreenCapture screenCapture;
    const QtImageRenderer imageRenderer;
    SimulatedShell shell;
};

// The transcript's "published" lines come from the controller the delegate builds at launch,
// by which time `delegate` is set; observers hear of an assignment just before it, so the
// list is read a turn later.
void transcribePublishedLists(ScriptedApplication& application, AppDelegate* const& delegate) {
    application.onLaunched = [&application, &delegate] {
        if (delegate == nullptr || !delegate->controller()) {
            return;
        }
        std::weak_ptr<MenuBarController> weakController = delegate->controller();
        delegate->controller()->observe(
            [&application, weakController](MenuBarController::Field field) {
                if (field != MenuBarController::Field::hiddenItems) {
                    return;
                }
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
}

// The first pid the churn gives out: above every process the desktop starts with.
std::int32_t firstFreePid(const SimulatedDesktop& desktop) {
    std::int32_t highestPid = desktop.ownPid;
    for (const auto& running : desktop.applications) {
        highestPid = std::max(highestPid, running.pid);
    }
    return highestPid + 1;
}

}  // namespace

int main(int argc, char** argv) {
    const auto read = readSimOptions(std::vector<std::string>(argv, argv + argc));
    if (const auto* refusal = std::get_if<std::string>(&read)) {
        std::cerr << *refusal;
        return kUsageStatus;
    }
    const auto& options = std::get<SimOptions>(read);
    if (options.soakDays) {
        runAgainWithoutThreadCaches(argv);
    }
    PosixFileSystem realFiles;
    auto desktop = loadDesktop(realFiles, options.scenarioPath);
    if (!desktop) {
        return kUsageStatus;
    }
    if (options.snapshotFolder) {
        if (const auto problem = snapshotFolderProblem(*options.snapshotFolder)) {
            std::cerr << "stowbar-sim: " << *problem << '\n';
            return kUsageStatus;
        }
    }

    DesktopSimulation simulation(std::move(*desktop));
    const OffscreenQt qt(argv[0], options.darkAppearance);
    SimulatedPorts ports(simulation, realFiles);
    // The script writes the real Control Center file under $HOME, where the program reads it.
    const std::string prefsPath =
        expandTildeInPath(ControlCenterTrackedApps::kGroupPrefsPath, ports.system.homeDirectory());
    // A soak prints only its daily measurements: a month's transcript would be most of a
    // gigabyte.
    std::ostream discarded(nullptr);
    ScriptedApplication application(simulation, ports.workspace, ports.shell, ports.accessibility,
                                    prefsPath, options.soakDays ? discarded : std::cout);
    std::optional<SoakChurn> churn;
    if (options.soakDays) {
        churn.emplace(*options.soakDays, options.soakSeed, firstFreePid(simulation.desktop()));
        driveWithChurn(application, *churn);
    }
    // Uptime is virtual time too, so that the duplicate-click window is measured on it.
    ports.system.followClock(&application.mainExecutor().clock());

    // The real panel draws what the simulated one is handed; the popover takes its size.
    const DrawnPanel drawnPanel(application, ports.shell, options.snapshotFolder);
    AppDelegate* delegate = nullptr;
    transcribePublishedLists(application, delegate);
    return StowbarApp::main(options.programArguments, ports.platform(application),
                            [&delegate](AppDelegate& built) { delegate = &built; });
}
