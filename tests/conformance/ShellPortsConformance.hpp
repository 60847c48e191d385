#pragma once

// One suite for each port promised by platform/ShellPorts.hpp, for every implementation of it.
// Each suite's harness has what the comment above the suite lists; a harness may serve several.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "platform/ShellPorts.hpp"

namespace stowbar::conformance {

template <class Harness>
class ShellPortConformance : public ::testing::Test {
  protected:
    Harness harness;
};

// StatusBar: the status item. Its harness has
//     StatusBar& statusBar();   // a fresh status bar on a system that has a menu bar
//     void clickStatusItem();   // the user's click on the item
//     void turn();              // runs what the main loop has queued for now
template <class Harness>
class StatusBarConformance : public ShellPortConformance<Harness> {};

TYPED_TEST_SUITE_P(StatusBarConformance);

TYPED_TEST_P(StatusBarConformance, EachClickOnTheItemCallsItsActionOnce) {
    int clicks = 0;
    ASSERT_TRUE(this->harness.statusBar().addStatusItem("chevron.down.2", "Stowbar",
                                                        [&clicks] { ++clicks; }));
    this->harness.turn();
    EXPECT_EQ(clicks, 0);
    this->harness.clickStatusItem();
    this->harness.turn();
    this->harness.clickStatusItem();
    this->harness.turn();
    EXPECT_EQ(clicks, 2);
}

REGISTER_TYPED_TEST_SUITE_P(StatusBarConformance, EachClickOnTheItemCallsItsActionOnce);

// Popover: showing, closing and the didShow announcement. Its harness has
//     Popover& popover();   // a fresh popover with no panel
//     void turn();          // runs what the main loop has queued for now
template <class Harness>
class PopoverConformance : public ShellPortConformance<Harness> {};

TYPED_TEST_SUITE_P(PopoverConformance);

TYPED_TEST_P(PopoverConformance, AnnouncesEachShowingOnATurnOfItsOwn) {
    Popover& popover = this->harness.popover();
    int shows = 0;
    popover.configure(Size{300, 200}, [&shows] { ++shows; });
    EXPECT_FALSE(popover.isShown());
    EXPECT_FALSE(popover.preferredContentSize().has_value()) << "no panel, no preferred size";

    popover.show();
    EXPECT_TRUE(popover.isShown());
    EXPECT_EQ(shows, 0) << "didShow is never called inside show()";
    this->harness.turn();
    EXPECT_EQ(shows, 1);

    popover.show();
    this->harness.turn();
    EXPECT_EQ(shows, 1) << "showing a shown popover announces nothing";

    popover.close();
    EXPECT_FALSE(popover.isShown());
    popover.show();
    this->harness.turn();
    EXPECT_EQ(shows, 2) << "every showing is announced";
    popover.close();
}

REGISTER_TYPED_TEST_SUITE_P(PopoverConformance, AnnouncesEachShowingOnATurnOfItsOwn);

// EventMonitor: the global left-click monitors. Its harness has
//     EventMonitor& eventMonitor();
//     void clickElsewhere(bool leftButton);   // a click inside another application
//     void turn();                            // runs what the main loop has queued for now
template <class Harness>
class EventMonitorConformance : public ShellPortConformance<Harness> {};

TYPED_TEST_SUITE_P(EventMonitorConformance);

TYPED_TEST_P(EventMonitorConformance, LeftClicksElsewhereReachEveryMonitorUntilItIsRemoved) {
    EventMonitor& monitor = this->harness.eventMonitor();
    int kept = 0;
    int removed = 0;
    const auto keptToken = monitor.addGlobalLeftMouseDownMonitor([&kept] { ++kept; });
    const auto removedToken = monitor.addGlobalLeftMouseDownMonitor([&removed] { ++removed; });
    ASSERT_TRUE(keptToken.has_value());
    ASSERT_TRUE(removedToken.has_value());
    EXPECT_NE(*keptToken, *removedToken);

    this->harness.clickElsewhere(false);
    this->harness.turn();
    EXPECT_EQ(kept + removed, 0) << "a right click reaches no monitor";

    this->harness.clickElsewhere(true);
    this->harness.turn();
    EXPECT_EQ(kept, 1);
    EXPECT_EQ(removed, 1);

    monitor.removeMonitor(*removedToken);
    monitor.removeMonitor(*removedToken);
    this->harness.clickElsewhere(true);
    this->harness.turn();
    EXPECT_EQ(kept, 2);
    EXPECT_EQ(removed, 1) << "a removed monitor hears nothing";
}

REGISTER_TYPED_TEST_SUITE_P(EventMonitorConformance,
                            LeftClicksElsewhereReachEveryMonitorUntilItIsRemoved);

// DirectoryWatcher: the directory watch, on real files in a temporary directory. Its harness has
//     DirectoryWatcher& watcher();
//     std::filesystem::path directory();               // an empty directory of its own
//     void written(const std::filesystem::path& file);  // told after the suite wrote `file`
//     bool runUntil(const std::function<bool()>& done); // turns the loop until `done` holds,
//                                                       // giving up after a few seconds
template <class Harness>
class DirectoryWatcherConformance : public ShellPortConformance<Harness> {
  protected:
    void write(const std::string& name) {
        const auto file = this->harness.directory() / name;
        std::ofstream(file) << name;
        this->harness.written(file);
    }
};

TYPED_TEST_SUITE_P(DirectoryWatcherConformance);

TYPED_TEST_P(DirectoryWatcherConformance, ReportsWritesInTheDirectoryUntilTheWatchIsCancelled) {
    DirectoryWatcher& watcher = this->harness.watcher();
    const std::string directory = this->harness.directory().string();
    int cancelledEvents = 0;
    int destroyedEvents = 0;
    int keptEvents = 0;
    auto cancelled = watcher.watch(directory, [&] { ++cancelledEvents; });
    auto destroyed = watcher.watch(directory, [&] { ++destroyedEvents; });
    auto kept = watcher.watch(directory, [&] { ++keptEvents; });
    ASSERT_NE(cancelled, nullptr);
    ASSERT_NE(destroyed, nullptr);
    ASSERT_NE(kept, nullptr);

    this->write("first");
    ASSERT_TRUE(this->harness.runUntil(
        [&] { return cancelledEvents > 0 && destroyedEvents > 0 && keptEvents > 0; }));

    cancelled->cancel();
    cancelled->cancel();
    destroyed.reset();
    const int seen = keptEvents;
    this->write("second");
    // The watch still open hears the write; the stopped ones, delivered alike, do not.
    ASSERT_TRUE(this->harness.runUntil([&] { return keptEvents > seen; }));
    EXPECT_EQ(cancelledEvents, 1);
    EXPECT_EQ(destroyedEvents, 1);
}

TYPED_TEST_P(DirectoryWatcherConformance, GivesNoWatchForWhatIsNotAnOpenableDirectory) {
    DirectoryWatcher& watcher = this->harness.watcher();
    this->write("plain-file");
    EXPECT_EQ(watcher.watch((this->harness.directory() / "missing").string(), [] {}), nullptr);
    EXPECT_EQ(watcher.watch((this->harness.directory() / "plain-file").string(), [] {}), nullptr);
}

REGISTER_TYPED_TEST_SUITE_P(DirectoryWatcherConformance,
                            ReportsWritesInTheDirectoryUntilTheWatchIsCancelled,
                            GivesNoWatchForWhatIsNotAnOpenableDirectory);

// LoginItemService: the registration. Its harness has
//     LoginItemService& loginItems();
template <class Harness>
class LoginItemServiceConformance : public ShellPortConformance<Harness> {};

TYPED_TEST_SUITE_P(LoginItemServiceConformance);

TYPED_TEST_P(LoginItemServiceConformance,
             ASucceededRegistrationLeavesTheItemEnabledOrAwaitingApproval) {
    LoginItemService& service = this->harness.loginItems();
    const LoginItemStatus before = service.status();
    if (service.registerMainApp()) {
        EXPECT_TRUE(service.status() == LoginItemStatus::enabled ||
                    service.status() == LoginItemStatus::requiresApproval);
    } else {
        EXPECT_EQ(service.status(), before) << "a failed registration changes nothing";
    }
}

REGISTER_TYPED_TEST_SUITE_P(LoginItemServiceConformance,
                            ASucceededRegistrationLeavesTheItemEnabledOrAwaitingApproval);

// Alerts: the modal alert. Its harness has
//     Alerts& alerts();   // answers each alert as the user would, or cannot be shown at all
template <class Harness>
class AlertsConformance : public ShellPortConformance<Harness> {};

TYPED_TEST_SUITE_P(AlertsConformance);

TYPED_TEST_P(AlertsConformance, AnswersWithTheIndexOfOneOfItsButtons) {
    for (const std::vector<std::string>& buttons :
         {std::vector<std::string>{"OK"}, std::vector<std::string>{"Open Settings", "Later"}}) {
        const int chosen = this->harness.alerts().runModal(
            AlertDescription{AlertStyle::informational, "Approval Required", "Check.", buttons});
        EXPECT_GE(chosen, 0);
        EXPECT_LT(chosen, static_cast<int>(buttons.size()));
    }
}

REGISTER_TYPED_TEST_SUITE_P(AlertsConformance, AnswersWithTheIndexOfOneOfItsButtons);

// Updater. Its harness has
//     Updater& updater();
//     int checksShown();   // checks the user has seen begin so far
template <class Harness>
class UpdaterConformance : public ShellPortConformance<Harness> {};

TYPED_TEST_SUITE_P(UpdaterConformance);

TYPED_TEST_P(UpdaterConformance, EachCheckIsShownOnlyWhereThereIsAnUpdater) {
    Updater& updater = this->harness.updater();
    updater.start();
    updater.checkForUpdates();
    updater.checkForUpdates();
    EXPECT_EQ(this->harness.checksShown(), updater.isAvailable() ? 2 : 0);
}

REGISTER_TYPED_TEST_SUITE_P(UpdaterConformance, EachCheckIsShownOnlyWhereThereIsAnUpdater);

}  // namespace stowbar::conformance
