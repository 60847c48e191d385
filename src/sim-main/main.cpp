// stowbar-sim: builds the platform of a simulated desktop from a scenario file and hands it to
// the same StowbarApp as the real program. Files stay real; everything this machine has no
// counterpart for comes from the scenario.

#include <QApplication>
#include <QByteArray>

#include <unistd.h>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <variant>
#include <vector>

#include <thread>

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
#include "platform/Platform.hpp"
#include "sim-main/DrawnPanel.hpp"
#include "sim-main/ScenarioLoader.hpp"
#include "sim-main/ScriptedApplication.hpp"
#include "sim-main/SoakChurn.hpp"

namespace {

constexpr int kUsageStatus = 2;
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

constexpr const char* kUsage =
    "usage: stowbar-sim [--snapshots DIR] [--appearance light|dark] SCENARIO.json [ARGS...]\n"
    "       stowbar-sim --soak DAYS [--seed N] [SCENARIO.json]\n"
    "  ARGS, everything after SCENARIO.json, are passed on to Stowbar as its own arguments\n"
    "  (--diagnose prints the report); options of stowbar-sim go before SCENARIO.json.";

// A soak runs at most ten years of virtual time; anything else is a typo.
constexpr double kMostSoakDays = 3650;

// What the process holds now: resident memory and the bytes malloc has handed out, and the
// longest turn of the main thread that day, in processor time. The memory figures come from
// glibc and Linux (/proc, mallinfo2); elsewhere the soak line says null for each, since no
// figure of another system would compare with these.
#if defined(__GLIBC__)
void writeSoakDay(int day, double seconds, std::chrono::nanoseconds longestTurn) {
    long residentPages = 0;
    if (std::FILE* statm = std::fopen("/proc/self/statm", "r")) {
        long sizePages = 0;
        if (std::fscanf(statm, "%ld %ld", &sizePages, &residentPages) != 2) {
            residentPages = 0;
        }
        std::fclose(statm);
    }
    const long rssKiB = residentPages * (sysconf(_SC_PAGESIZE) / 1024);
    const auto heap = mallinfo2();
    std::printf(
        "{\"t\":%.3f,\"event\":\"soak\",\"day\":%d,\"rssKiB\":%ld,\"heapBytes\":%zu,"
        "\"longestTurnMicros\":%lld}\n",
        seconds, day, rssKiB, heap.uordblks, static_cast<long long>(longestTurn.count() / 1000));
    std::fflush(stdout);
}

// glibc keeps a few freed blocks per size in each thread's cache, and mallinfo2 counts those
// as handed out; the cache fills over the first days of a soak and would read as a slow leak.
// A soak therefore runs itself again with the caches off, before any thread starts, so that
// its heap figure is what the program holds. Returns only if that could not be done.
void runAgainWithoutThreadCaches(char** argv) {
    constexpr const char* kTunable = "glibc.malloc.tcache_count=0";
    const char* tunables = std::getenv("GLIBC_TUNABLES");
    if (tunables != nullptr && std::string(tunables).find(kTunable) != std::string::npos) {
        return;
    }
    std::string combined = tunables != nullptr && *tunables != '\0'
                               ? "GLIBC_TUNABLES=" + std::string(tunables) + ':' + kTunable
                               : std::string("GLIBC_TUNABLES=") + kTunable;
    // The same environment with the setting changed, handed to execve rather than set here:
    // setenv is not safe while any other thread might read the environment.
    std::vector<char*> environment;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        if (std::string_view(*entry).substr(0, 15) != "GLIBC_TUNABLES=") {
            environment.push_back(*entry);
        }
    }
    environment.push_back(combined.data());
    environment.push_back(nullptr);
    execve("/proc/self/exe", argv, environment.data());
    std::cerr << "stowbar-sim: heap figures include glibc's thread caches\n";
}
#else
void writeSoakDay(int day, double seconds, std::chrono::nanoseconds longestTurn) {
    std::printf(
        "{\"t\":%.3f,\"event\":\"soak\",\"day\":%d,\"rssKiB\":null,\"heapBytes\":null,"
        "\"longestTurnMicros\":%lld}\n",
        seconds, day, static_cast<long long>(longestTurn.count() / 1000));
    std::fflush(stdout);
}

void runAgainWithoutThreadCaches(char** /*argv*/) {}
#endif

std::optional<double> parseNumber(const std::string& text) {
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (text.empty() || end != text.c_str() + text.size() || !(value >= 0)) {
        return std::nullopt;
    }
    return value;
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

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> given(argv, argv + argc);
    std::size_t next = 1;
    std::optional<std::string> snapshots;
    std::optional<std::string> appearance;
    std::optional<double> soakDays;
    std::uint64_t soakSeed = 1;
    if (next < given.size() && given[next] == "--soak") {
        soakDays = next + 1 < given.size() ? parseNumber(given[next + 1]) : std::nullopt;
        if (!soakDays || *soakDays < 1 || *soakDays > kMostSoakDays ||
            *soakDays != std::floor(*soakDays)) {
            std::cerr << kUsage << '\n';
            return kUsageStatus;
        }
        next += 2;
        if (next < given.size() && given[next] == "--seed") {
            const auto seed = next + 1 < given.size() ? parseNumber(given[next + 1]) : std::nullopt;
            if (!seed || *seed != std::floor(*seed) || *seed > 9007199254740992.0) {
                std::cerr << kUsage << '\n';
                return kUsageStatus;
            }
            soakSeed = static_cast<std::uint64_t>(*seed);
            next += 2;
        }
        if (next + 1 < given.size()) {
            std::cerr << kUsage << '\n';
            return kUsageStatus;
        }
        runAgainWithoutThreadCaches(argv);
    } else {
        while (next < given.size() &&
               (given[next] == "--snapshots" || given[next] == "--appearance")) {
            const bool isAppearance = given[next] == "--appearance";
            if (next + 1 >= given.size() ||
                (isAppearance && given[next + 1] != "light" && given[next + 1] != "dark")) {
                std::cerr << kUsage << '\n';
                return kUsageStatus;
            }
            (isAppearance ? appearance : snapshots) = given[next + 1];
            next += 2;
        }
    }
    if (next >= given.size() && !soakDays) {
        std::cerr << kUsage << '\n';
        return kUsageStatus;
    }
    // A soak without a scenario starts from the default desktop.
    const std::string scenarioPath = next < given.size() ? given[next++] : std::string();
    // Given after the scenario, stowbar-sim's own option would reach Stowbar, which ignores
    // it, and no picture would be written: refuse it rather than pass it on silently.
    for (const char* option : {"--snapshots", "--appearance"}) {
        if (std::find(given.begin() + static_cast<std::ptrdiff_t>(next), given.end(), option) !=
            given.end()) {
            std::cerr << "stowbar-sim: " << option << " goes before SCENARIO.json\n"
                      << kUsage << '\n';
            return kUsageStatus;
        }
    }

    stowbar::PosixFileSystem realFiles;
    auto scenario = scenarioPath.empty()
                        ? std::variant<stowbar::SimulatedDesktop, stowbar::ScenarioError>(
                              stowbar::SimulatedDesktop{})
                        : stowbar::ScenarioLoader::load(realFiles, scenarioPath);
    if (const auto* error = std::get_if<stowbar::ScenarioError>(&scenario)) {
        std::cerr << "stowbar-sim: " << stowbar::ScenarioLoader::describe(scenarioPath, *error)
                  << '\n';
        return kUsageStatus;
    }

    if (snapshots) {
        if (const auto problem = snapshotFolderProblem(*snapshots)) {
            std::cerr << "stowbar-sim: " << *problem << '\n';
            return kUsageStatus;
        }
    }

    stowbar::DesktopSimulation simulation(std::get<stowbar::SimulatedDesktop>(std::move(scenario)));
    // The panel is drawn by Qt on its offscreen platform, whatever display there is, so that
    // its sizes and pictures are the same on every machine.
    qputenv("QT_QPA_PLATFORM", QByteArray("offscreen"));
    qInstallMessageHandler(quietQtMessages);
    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    QApplication qtApplication(qtArgc, qtArgv);
    // The offscreen platform's own palette is the light appearance.
    if (appearance == "dark") {
        QApplication::setPalette(stowbar::qt::darkPalette());
    }

    const stowbar::PosixSystemInfo realSystem;
    stowbar::SimulatedSystemInfo system(realSystem, simulation);
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
    // A soak prints only its daily measurements: a month's transcript would be most of a
    // gigabyte.
    std::ostream discarded(nullptr);
    stowbar::ScriptedApplication application(simulation, workspace, shell, accessibility, prefsPath,
                                             soakDays ? discarded : std::cout);
    std::optional<stowbar::SoakChurn> churn;
    if (soakDays) {
        std::int32_t highestPid = simulation.desktop().ownPid;
        for (const auto& running : simulation.desktop().applications) {
            highestPid = std::max(highestPid, running.pid);
        }
        churn.emplace(*soakDays, soakSeed, highestPid + 1);
        application.actionSource = [&churn] {
            return churn->next();
        };
        application.beforeAction = [&churn, &application](const stowbar::ScriptAction& action) {
            if (const auto day = churn->dayEndedBy(action)) {
                writeSoakDay(*day, action.at, application.takeLongestTurn());
            }
        };
    }
    // Uptime is virtual time too, so that the duplicate-click window is measured on it.
    system.followClock(&application.mainExecutor().clock());

    // The real panel draws what the simulated one is handed; the popover takes its size.
    const stowbar::DrawnPanel drawnPanel(application, shell, snapshots);
    // The transcript's "published" lines come from the controller the delegate builds at launch;
    // observers hear of an assignment just before it, so the list is read a turn later.
    stowbar::AppDelegate* delegate = nullptr;
    application.onLaunched = [&application, &delegate] {
        if (delegate == nullptr || !delegate->controller()) {
            return;
        }
        std::weak_ptr<stowbar::MenuBarController> weakController = delegate->controller();
        delegate->controller()->observe(
            [&application, weakController](stowbar::MenuBarController::Field field) {
                if (field != stowbar::MenuBarController::Field::hiddenItems) {
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
    const stowbar::Platform platform{system,    files,         propertyLists, accessibility,
                                     workspace, screenCapture, imageRenderer, application,
                                     std::cout, shell.ports};

    // The program sees its own path first and then only the arguments after the scenario.
    std::vector<std::string> arguments{given[0]};
    arguments.insert(arguments.end(), given.begin() + static_cast<std::ptrdiff_t>(next),
                     given.end());
    return stowbar::StowbarApp::main(
        arguments, platform, [&delegate](stowbar::AppDelegate& built) { delegate = &built; });
}
