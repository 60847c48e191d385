// The conformance suites, run for the simulated desktop's ports and the test fakes.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "adapters/posix/PosixFileSystem.hpp"
#include "adapters/sim/DesktopSimulation.hpp"
#include "adapters/sim/SimulatedAccessibility.hpp"
#include "adapters/sim/SimulatedDesktop.hpp"
#include "adapters/sim/SimulatedFileSystem.hpp"
#include "adapters/sim/SimulatedScreenCapture.hpp"
#include "adapters/sim/SimulatedShell.hpp"
#include "adapters/sim/SimulatedWorkspace.hpp"
#include "conformance/AccessibilityConformance.hpp"
#include "conformance/ApplicationConformance.hpp"
#include "conformance/FileSystemConformance.hpp"
#include "conformance/MainExecutorConformance.hpp"
#include "conformance/ScreenCaptureConformance.hpp"
#include "conformance/ShellPortsConformance.hpp"
#include "conformance/WorkspaceConformance.hpp"
#include "platform/Accessibility.hpp"
#include "platform/Application.hpp"
#include "platform/FileSystem.hpp"
#include "platform/ScreenCapture.hpp"
#include "platform/ShellPorts.hpp"
#include "platform/Workspace.hpp"
#include "runtime/MainExecutor.hpp"
#include "runtime/ManualExecutor.hpp"
#include "sim-main/ScriptedApplication.hpp"
#include "support/FakeApplication.hpp"
#include "support/TemporaryDirectory.hpp"

namespace stowbar::conformance {
namespace {

// Virtual time: runUntil moves the clock from deadline to deadline, up to an hour on.
class ManualExecutorHarness {
  public:
    MainExecutor& executor() { return executor_; }
    bool runUntil(const std::function<bool()>& done) {
        return executor_.runUntil(done, executor_.now() + 1h);
    }

  private:
    ManualExecutor executor_;
};

INSTANTIATE_TYPED_TEST_SUITE_P(Manual, MainExecutorConformance,
                               ::testing::Types<ManualExecutorHarness>);

// The simulator's loop on an empty desktop with no script, over files that are not there.
class ScriptedApplicationHarness {
  public:
    Application& application() { return application_; }

  private:
    DesktopSimulation simulation_;
    PosixFileSystem files_;
    SimulatedWorkspace workspace_{simulation_};
    SimulatedShell shell_{files_};
    SimulatedAccessibility accessibility_{simulation_};
    ScanRecordingAccessibility scans_{accessibility_, std::this_thread::get_id()};
    std::ostringstream transcript_;
    ScriptedApplication application_{simulation_, workspace_, shell_,
                                     scans_,      "/nowhere", transcript_};
};

using SimulatedApplications =
    ::testing::Types<ScriptedApplicationHarness, OwnedApplication<test::FakeApplication>>;
INSTANTIATE_TYPED_TEST_SUITE_P(Simulated, ApplicationConformance, SimulatedApplications);

// The simulated desktop's ports and real files in a temporary directory, on a loop of virtual
// time; with every permission and an updater, or with none.
template <bool kGranted>
class SimulatedPorts {
  public:
    SimulatedPorts() {
        shell_.popover.loop = &executor_;
        updater_.available = kGranted;
        simulation_.update([](SimulatedDesktop& desktop) {
            desktop.screenRecordingGranted = kGranted;
            desktop.accessibilityTrusted = kGranted;
        });
    }
    Popover& popover() { return shell_.popover; }
    StatusBar& statusBar() { return shell_.statusBar; }
    EventMonitor& eventMonitor() { return shell_.eventMonitor; }
    Alerts& alerts() { return shell_.alerts; }
    LoginItemService& loginItems() { return shell_.loginItems; }
    void clickStatusItem() { shell_.statusBar.click(); }
    void clickElsewhere(bool leftButton) { shell_.eventMonitor.clickElsewhere(leftButton); }
    void turn() { executor_.runUntilIdle(); }

    Updater& updater() { return updater_; }
    int checksShown() const { return updater_.checks; }

    // The simulated watch fires when told of a write, as the script's writes tell it.
    DirectoryWatcher& watcher() { return watcher_; }
    std::filesystem::path directory() { return directory_.path(); }
    void written(const std::filesystem::path& file) {
        watcher_.changed(file.parent_path().string());
    }
    bool runUntil(const std::function<bool()>& done) { return done(); }
    const FileSystem& files() { return files_; }

    Workspace& workspace() { return workspace_; }
    bool launch(std::int32_t pid) {
        SimulatedApplication application;
        application.pid = pid;
        simulation_.update(
            [&](SimulatedDesktop& desktop) { desktop.applications.push_back(application); });
        workspace_.notify(WorkspaceNotification::didLaunchApplication);
        return true;
    }
    bool terminate(std::int32_t pid) {
        simulation_.update([pid](SimulatedDesktop& desktop) {
            std::erase_if(desktop.applications, [pid](const auto& a) { return a.pid == pid; });
        });
        workspace_.notify(WorkspaceNotification::didTerminateApplication);
        return true;
    }

    ScreenCapture& capture() { return capture_; }
    Accessibility& accessibility() { return accessibility_; }
    bool permitted() const { return kGranted; }

  private:
    ManualExecutor executor_;
    test::TemporaryDirectory directory_;
    PosixFileSystem real_;
    DesktopSimulation simulation_;
    SimulatedFileSystem files_{real_, simulation_};
    SimulatedShell shell_{real_};
    SimulatedUpdater updater_;
    SimulatedDirectoryWatcher watcher_{real_};
    SimulatedWorkspace workspace_{simulation_};
    SimulatedScreenCapture capture_{simulation_};
    SimulatedAccessibility accessibility_{simulation_};
};

using Granted = ::testing::Types<SimulatedPorts<true>>;
using GrantedOrNot = ::testing::Types<SimulatedPorts<true>, SimulatedPorts<false>>;
INSTANTIATE_TYPED_TEST_SUITE_P(Simulated, PopoverConformance, Granted);
INSTANTIATE_TYPED_TEST_SUITE_P(Simulated, StatusBarConformance, Granted);
INSTANTIATE_TYPED_TEST_SUITE_P(Simulated, EventMonitorConformance, Granted);
INSTANTIATE_TYPED_TEST_SUITE_P(Simulated, AlertsConformance, Granted);
INSTANTIATE_TYPED_TEST_SUITE_P(Simulated, LoginItemServiceConformance, Granted);
INSTANTIATE_TYPED_TEST_SUITE_P(Simulated, DirectoryWatcherConformance, Granted);
INSTANTIATE_TYPED_TEST_SUITE_P(Simulated, FileSystemConformance, Granted);
INSTANTIATE_TYPED_TEST_SUITE_P(Simulated, WorkspaceConformance, Granted);
INSTANTIATE_TYPED_TEST_SUITE_P(Simulated, UpdaterConformance, GrantedOrNot);
INSTANTIATE_TYPED_TEST_SUITE_P(Simulated, ScreenCaptureConformance, GrantedOrNot);
INSTANTIATE_TYPED_TEST_SUITE_P(Simulated, AccessibilityConformance, GrantedOrNot);

}  // namespace
}  // namespace stowbar::conformance
