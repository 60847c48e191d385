// The conformance suites, run for the Linux program's ports: Qt's tray item, popup and click
// monitor, the inotify watch, POSIX files and the Linux stand-ins.

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QSystemTrayIcon>
#include <QWidget>
#include <cstdint>
#include <filesystem>
#include <functional>

#include "adapters/linux/LinuxAccessibility.hpp"
#include "adapters/linux/LinuxScreenCapture.hpp"
#include "adapters/linux/LinuxShell.hpp"
#include "adapters/linux/LinuxWorkspace.hpp"
#include "adapters/qt/InotifyDirectoryWatcher.hpp"
#include "adapters/qt/QtShell.hpp"
#include "conformance/AccessibilityConformance.hpp"
#include "conformance/AlertsConformance.hpp"
#include "conformance/DirectoryWatcherConformance.hpp"
#include "conformance/EventMonitorConformance.hpp"
#include "conformance/LoginItemServiceConformance.hpp"
#include "conformance/PopoverConformance.hpp"
#include "conformance/ScreenCaptureConformance.hpp"
#include "conformance/StatusBarConformance.hpp"
#include "conformance/UpdaterConformance.hpp"
#include "conformance/WorkspaceConformance.hpp"
#include "platform/Accessibility.hpp"
#include "platform/ScreenCapture.hpp"
#include "platform/ShellPorts.hpp"
#include "platform/Workspace.hpp"
#include "support/TemporaryDirectory.hpp"

namespace stowbar::conformance {
namespace {

// The tray item and popup on Qt's offscreen platform, which has no tray of its own.
class QtShellHarness {
  public:
    QtShellHarness() {
        shell_.trayAvailable = [] {
            return true;
        };
        shell_.anchorOverride = QRect(300, 0, 24, 24);
    }
    ~QtShellHarness() { shell_.close(); }
    QtShellHarness(const QtShellHarness&) = delete;
    QtShellHarness& operator=(const QtShellHarness&) = delete;

    Popover& popover() { return shell_; }
    StatusBar& statusBar() { return shell_; }
    EventMonitor& eventMonitor() { return shell_; }
    Alerts& alerts() { return alerts_; }
    LoginItemService& loginItems() { return loginItems_; }
    void clickStatusItem() { emit shell_.trayIcon()->activated(QSystemTrayIcon::Trigger); }
    // Qt sees clicks in other applications only through the open popup's grab (see QtShell).
    void clickElsewhere(bool leftButton) {
        shell_.show();
        turn();
        QWidget& popup = *shell_.popupWindow();
        const QPointF global(popup.geometry().bottomRight() + QPoint(50, 50));
        const QPointF local = popup.mapFromGlobal(global);
        const auto button = leftButton ? Qt::LeftButton : Qt::RightButton;
        QMouseEvent press(QEvent::MouseButtonPress, local, local, global, button, button,
                          Qt::NoModifier);
        QApplication::sendEvent(&popup, &press);
    }
    void turn() { QApplication::processEvents(); }

  private:
    qt::QtShell shell_;
    LinuxAlerts alerts_;
    LinuxLoginItemService loginItems_;
};

INSTANTIATE_TYPED_TEST_SUITE_P(Qt, PopoverConformance, ::testing::Types<QtShellHarness>);
INSTANTIATE_TYPED_TEST_SUITE_P(Qt, StatusBarConformance, ::testing::Types<QtShellHarness>);
INSTANTIATE_TYPED_TEST_SUITE_P(Qt, EventMonitorConformance, ::testing::Types<QtShellHarness>);
INSTANTIATE_TYPED_TEST_SUITE_P(Linux, AlertsConformance, ::testing::Types<QtShellHarness>);
INSTANTIATE_TYPED_TEST_SUITE_P(Linux, LoginItemServiceConformance,
                               ::testing::Types<QtShellHarness>);

// Linux has no updater, so nothing here could show a check.
class LinuxUpdaterHarness {
  public:
    Updater& updater() { return updater_; }
    static int checksShown() { return 0; }

  private:
    LinuxUpdater updater_;
};

INSTANTIATE_TYPED_TEST_SUITE_P(Linux, UpdaterConformance, ::testing::Types<LinuxUpdaterHarness>);

class InotifyHarness {
  public:
    DirectoryWatcher& watcher() { return watcher_; }
    std::filesystem::path directory() { return directory_.path(); }
    void written(const std::filesystem::path&) {}
    // The kernel delivers inotify events asynchronously: the wait ends as soon as they
    // arrived, and the bound only keeps a broken watch from hanging the test.
    bool runUntil(const std::function<bool()>& done) {
        QElapsedTimer elapsed;
        elapsed.start();
        while (!done() && elapsed.elapsed() < 5000) {
            QApplication::processEvents(QEventLoop::AllEvents, 20);
        }
        return done();
    }

  private:
    test::TemporaryDirectory directory_;
    InotifyDirectoryWatcher watcher_;
};

INSTANTIATE_TYPED_TEST_SUITE_P(Inotify, DirectoryWatcherConformance,
                               ::testing::Types<InotifyHarness>);

// The stand-ins of ports Linux has no counterpart for.
class StandInHarness {
  public:
    Workspace& workspace() { return workspace_; }
    bool launch(std::int32_t) { return false; }
    bool terminate(std::int32_t) { return false; }
    ScreenCapture& capture() { return capture_; }
    bool permitted() const { return false; }
    Accessibility& accessibility() { return accessibility_; }

  private:
    LinuxWorkspace workspace_;
    LinuxScreenCapture capture_;
    LinuxAccessibility accessibility_;
};

INSTANTIATE_TYPED_TEST_SUITE_P(Linux, WorkspaceConformance, ::testing::Types<StandInHarness>);
INSTANTIATE_TYPED_TEST_SUITE_P(Linux, ScreenCaptureConformance, ::testing::Types<StandInHarness>);
INSTANTIATE_TYPED_TEST_SUITE_P(Linux, AccessibilityConformance, ::testing::Types<StandInHarness>);

}  // namespace
}  // namespace stowbar::conformance
