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

#include "adapters/linux/InotifyDirectoryWatcher.hpp"
#include "adapters/linux/LinuxAccessibility.hpp"
#include "adapters/linux/LinuxScreenCapture.hpp"
#include "adapters/linux/LinuxShell.hpp"
#include "adapters/linux/LinuxWorkspace.hpp"
#include "adapters/qt/QtShell.hpp"
#include "conformance/AccessibilityConformance.hpp"
#include "conformance/ScreenCaptureConformance.hpp"
#include "conformance/ShellPortsConformance.hpp"
#include "conformance/WorkspaceConformance.hpp"
#include "platform/Accessibility.hpp"
#include "platform/ScreenCapture.hpp"
#include "platform/ShellPorts.hpp"
#include "platform/Workspace.hpp"
#include "support/TemporaryDirectory.hpp"

namespace stowbar::conformance {
namespace {

// The tray item and popup on Qt's offscreen platform, which has no tray of its own; the inotify
// watch; the stand-ins of ports Linux has no counterpart for.
class LinuxPorts {
  public:
    LinuxPorts() {
        shell_.trayAvailable = [] {
            return true;
        };
        shell_.anchorOverride = QRect(300, 0, 24, 24);
    }
    ~LinuxPorts() { shell_.close(); }
    LinuxPorts(const LinuxPorts&) = delete;
    LinuxPorts& operator=(const LinuxPorts&) = delete;

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

    // Linux has no updater, so nothing here could show a check.
    Updater& updater() { return updater_; }
    static int checksShown() { return 0; }

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

    Workspace& workspace() { return workspace_; }
    bool launch(std::int32_t) { return false; }
    bool terminate(std::int32_t) { return false; }
    ScreenCapture& capture() { return capture_; }
    bool permitted() const { return false; }
    Accessibility& accessibility() { return accessibility_; }

  private:
    qt::QtShell shell_;
    LinuxAlerts alerts_;
    LinuxLoginItemService loginItems_;
    LinuxUpdater updater_;
    test::TemporaryDirectory directory_;
    InotifyDirectoryWatcher watcher_;
    LinuxWorkspace workspace_;
    LinuxScreenCapture capture_;
    LinuxAccessibility accessibility_;
};

using Ports = ::testing::Types<LinuxPorts>;
INSTANTIATE_TYPED_TEST_SUITE_P(Qt, PopoverConformance, Ports);
INSTANTIATE_TYPED_TEST_SUITE_P(Qt, StatusBarConformance, Ports);
INSTANTIATE_TYPED_TEST_SUITE_P(Qt, EventMonitorConformance, Ports);
INSTANTIATE_TYPED_TEST_SUITE_P(Linux, AlertsConformance, Ports);
INSTANTIATE_TYPED_TEST_SUITE_P(Linux, LoginItemServiceConformance, Ports);
INSTANTIATE_TYPED_TEST_SUITE_P(Linux, UpdaterConformance, Ports);
INSTANTIATE_TYPED_TEST_SUITE_P(Inotify, DirectoryWatcherConformance, Ports);
INSTANTIATE_TYPED_TEST_SUITE_P(Linux, WorkspaceConformance, Ports);
INSTANTIATE_TYPED_TEST_SUITE_P(Linux, ScreenCaptureConformance, Ports);
INSTANTIATE_TYPED_TEST_SUITE_P(Linux, AccessibilityConformance, Ports);

}  // namespace
}  // namespace stowbar::conformance
