// The hidden item panel in the real popover, on whatever display Qt is given, for the check
// that assistive technologies reach it (check-panel.py drives it through AT-SPI). It shows
// three hidden items, as the Linux program never can: no Linux desktop lets it read other
// applications' menu bar extras.
//
// The panel's actions do what the delegate's do, without the rest of the program.
//
// It prints "shown" once the popover is up and "pressed NAME" for each row pressed, then
// closes the popover as the delegate does. It ends when its standard input closes, and on its
// own after a minute, so that a check that went wrong never leaves it behind.

#include <QApplication>
#include <QSocketNotifier>
#include <QTimer>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "adapters/qt/QtShell.hpp"
#include "platform/PanelHost.hpp"
#include "platform/StatusItemInfo.hpp"

namespace {

constexpr int kLongestRunMilliseconds = 60'000;

void say(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QTimer::singleShot(kLongestRunMilliseconds, &application, &QApplication::quit);
    QSocketNotifier input(0, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &application, [&input] {
        char buffer[256];
        if (std::fread(buffer, 1, sizeof buffer, stdin) == 0) {
            input.setEnabled(false);
            QApplication::quit();
        }
    });

    stowbar::qt::QtShell shell;
    shell.anchorOverride = QRect(400, 0, 1, 0);
    shell.configure({200, 200}, [] { say("shown"); });
    stowbar::PanelActions actions;
    actions.offersUpdates = false;
    actions.onActivate = [&shell](const stowbar::StatusItemInfo& item) {
        shell.close();
        say("pressed " + item.appName);
    };
    actions.terminate = [] {
        QApplication::quit();
    };
    // As the delegate does: a shown popover follows the panel's size when a filter changes it.
    actions.onPreferredSizeChange = [&shell] {
        const auto size = shell.preferredContentSize();
        if (shell.isShown() && size) {
            shell.setContentSize(*size);
        }
    };
    shell.setPanelActions(actions);

    stowbar::PanelInputs inputs{{}, true, true, false};
    std::uint32_t id = 0;
    for (const char* name : {"Weather", "Dropbox", "Drafts"}) {
        stowbar::StatusItemInfo item;
        item.id = ++id;
        item.appName = name;
        item.pid = static_cast<std::int32_t>(400 + id);
        inputs.hiddenItems.push_back(item);
    }
    shell.setPanelInputs(inputs);

    QTimer::singleShot(0, &application, [&shell] {
        if (const auto size = shell.preferredContentSize()) {
            shell.setContentSize(*size);
        }
        shell.show();
    });
    return QApplication::exec();
}
