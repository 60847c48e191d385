#include "adapters/sim/SimulatedDesktop.hpp"
#include "core/AppDelegate.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "adapters/sim/DesktopSimulation.hpp"
#include "adapters/sim/ForwardingAccessibility.hpp"
#include "adapters/sim/SimulatedShell.hpp"
#include "adapters/sim/SimulatedWorkspace.hpp"
#include "core/MenuBarController.hpp"
#include "platform/Accessibility.hpp"
#include "platform/Geometry.hpp"
#include "platform/PanelHost.hpp"
#include "platform/Platform.hpp"
#include "platform/ShellPorts.hpp"
#include "platform/StatusItemInfo.hpp"
#include "platform/Workspace.hpp"
#include "runtime/Clock.hpp"
#include "runtime/ManualExecutor.hpp"
#include "support/FakeSystemInfo.hpp"
#include "support/SimulatedDesktopBuilders.hpp"
#include "support/SimulatedPlatform.hpp"

namespace stowbar {
namespace {

using namespace std::chrono_literals;
using Field = MenuBarController::Field;

// The simulated Accessibility, with a gate that can hold the scan's first request and every
// press made off the main thread, so that a refresh or a press can be kept waiting on an
// application that does not answer. A press made on the main thread is counted, not held.
struct GatedAccessibility final : ForwardingAccessibility {
    using ForwardingAccessibility::ForwardingAccessibility;
    AXElement applicationElement(std::int32_t pid) override {
        wait();
        return inner_.applicationElement(pid);
    }
    AXError performAction(const AXElement& element, std::string_view action) override {
        if (std::this_thread::get_id() == mainThread) {
            ++mainThreadPresses;
        } else {
            wait();
        }
        return inner_.performAction(element, action);
    }
    void setOpen(bool value) {
        {
            const std::lock_guard lock(mutex);
            open = value;
        }
        changed.notify_all();
    }
    void wait() {
        std::unique_lock lock(mutex);
        changed.wait(lock, [this] { return open; });
    }
    std::mutex mutex;
    std::condition_variable changed;
    bool open = true;
    const std::thread::id mainThread = std::this_thread::get_id();
    std::atomic<int> mainThreadPresses = 0;
};

class AppDelegateTest : public ::testing::Test, protected test::SimulatedPlatform {
  protected:
    AppDelegateTest() {
        writeHiddenSet({"com.example.alpha"});
        simulation.update([](SimulatedDesktop& desktop) {
            desktop.applications = {
                test::application(401, "alpha", {test::extraAt(1500, -30, 24, 22)})};
        });
        shell.popover.loop = &executor;
        delegate = std::make_shared<AppDelegate>(ports, executor);
    }
    ~AppDelegateTest() override { gate.setOpen(true); }

    void launch() {
        delegate->applicationDidFinishLaunching();
        delegate->controller()->observe([this](Field field) {
            if (field == Field::accessibilityGranted) {
                refreshStarts.push_back(seconds());
            }
        });
        executor.runUntilIdle();
        refreshStarts.clear();
    }
    double seconds() const {
        return std::chrono::duration<double>(executor.now().time_since_epoch()).count();
    }
    void advanceTo(double value) {
        executor.advanceTo(TimePoint{} + std::chrono::duration_cast<Duration>(
                                             std::chrono::duration<double>(value)));
    }
    void setTrusted(bool trusted) {
        simulation.update(
            [&](SimulatedDesktop& desktop) { desktop.accessibilityTrusted = trusted; });
    }
    void clickStatusItem() {
        shell.statusBar.click();
        executor.runUntilIdle();
    }

    GatedAccessibility gate{accessibility};
    const Platform ports = platform({.accessibility = &gate});
    ManualExecutor executor;
    std::shared_ptr<AppDelegate> delegate;
    // Virtual seconds at which a refresh checked the Accessibility permission, which every
    // refresh does first; the poll only sets that flag when it changes.
    std::vector<double> refreshStarts;
};

TEST_F(AppDelegateTest, ThePanelOffersUpdatesAndOpenSettingsOnlyWhereThePlatformCanServeThem) {
    setTrusted(false);
    for (const bool available : {true, false}) {
        shell.updater.available = available;
        workspace.opensURLs = !available;
        auto other = std::make_shared<AppDelegate>(ports, executor);
        other->applicationDidFinishLaunching();
        executor.runUntilIdle();
        EXPECT_EQ(shell.panel.clickUpdates(), available);
        EXPECT_EQ(shell.panel.clickOpenSettings(), !available);
        other->applicationWillTerminate();
        executor.runUntilIdle();
    }
}

TEST_F(AppDelegateTest,
       TheApprovalNoticeHoldsBackTheInitialRefreshBaselineAndPollWhileTriggersAreArmed) {
    shell.loginItems.currentStatus = LoginItemStatus::requiresApproval;
    shell.alerts.onAlert = [&](const AlertDescription&) {
        EXPECT_EQ(workspace.observerCount(), 2u);
        EXPECT_TRUE(delegate->hasDirectoryWatch());
        EXPECT_FALSE(delegate->hasPollTimer());
        EXPECT_EQ(executor.pendingCount(), 0u) << "no refresh may be queued during the alert";
        // A change while the notice is up is part of the baseline taken after it.
        writeHiddenSet({"com.example.alpha", "com.example.beta", "com.example.gamma"});
    };
    EXPECT_EQ(shell.updater.starts, 1) << "the updater starts with the delegate";
    delegate->applicationDidFinishLaunching();
    ASSERT_EQ(shell.alerts.shown.size(), 1u) << "the checks above ran while it was up";
    EXPECT_EQ(shell.statusBar.symbolName, "chevron.down.2");
    EXPECT_TRUE(delegate->hasPollTimer());

    int refreshes = 0;
    delegate->controller()->observe(
        [&](Field field) { refreshes += field == Field::accessibilityGranted; });
    EXPECT_EQ(refreshes, 0) << "the initial refresh starts only after launch returned";
    executor.runUntilIdle();
    EXPECT_EQ(refreshes, 1);
    EXPECT_EQ(delegate->controller()->hiddenItems().size(), 1u);
    advanceTo(5.0);
    EXPECT_EQ(refreshes, 1) << "the unchanged file after the baseline refreshes nothing";
}

TEST_F(AppDelegateTest, TheFingerprintStepRunsAlsoAfterAPermissionRefreshInTheSameTick) {
    setTrusted(false);
    launch();
    setTrusted(true);
    writeHiddenSet({"com.example.alpha", "com.example.beta"});
    std::filesystem::last_write_time(controlCenterPath(),
                                     std::filesystem::file_time_type::clock::now() + 5s);
    advanceTo(2.0);
    // The poll's own assignment of the flag, then the immediate refresh.
    ASSERT_EQ(refreshStarts.size(), 2u);
    advanceTo(2.299);
    EXPECT_EQ(refreshStarts.size(), 2u);
    advanceTo(2.3);
    EXPECT_EQ(refreshStarts.size(), 3u) << "the changed fingerprint schedules the debounce";
}

// A status item on a desktop whose tray never comes up: it counts the looks it is given.
struct TraylessStatusBar final : StatusBar {
    bool addStatusItem(const std::string&, const std::string&, std::function<void()>) override {
        return true;
    }
    void lookAgain() override { ++looks; }
    int looks = 0;
};

TEST_F(AppDelegateTest, AnIdleDelegateWithoutATrayWakesAtMostThirtyTimesAMinuteAndLooksOnEach) {
    TraylessStatusBar statusBar;
    const ShellPorts trayless{
        statusBar,        shell.popover, shell.eventMonitor, shell.directoryWatcher,
        shell.loginItems, shell.alerts,  shell.updater,      &shell.panel};
    const Platform withoutTray = platform({.accessibility = &gate, .shell = &trayless});
    delegate = std::make_shared<AppDelegate>(withoutTray, executor);
    launch();
    // Every deadline the loop is woken for during the first idle minute.
    const TimePoint end = executor.now() + 60s;
    int wakeUps = 0;
    for (auto next = executor.nextDeadline(); next && *next <= end;
         next = executor.nextDeadline()) {
        executor.advanceTo(*next);
        ++wakeUps;
    }
    EXPECT_LE(wakeUps, 30);
    EXPECT_EQ(statusBar.looks, wakeUps) << "the look for a tray rides on the poll's wake-ups";
    delegate->applicationWillTerminate();
}

TEST_F(AppDelegateTest, TerminationCancelsAWaitingRefreshAndDisarmsEveryTrigger) {
    launch();
    advanceTo(1.0);
    workspace.notify(WorkspaceNotification::didLaunchApplication);
    advanceTo(1.1);
    delegate->applicationWillTerminate();
    EXPECT_FALSE(delegate->hasPollTimer());
    EXPECT_FALSE(delegate->hasDirectoryWatch());
    EXPECT_EQ(workspace.observerCount(), 0u);
    EXPECT_EQ(shell.directoryWatcher.activeWatchCount(), 0u);

    // The old triggers now reach nothing, and a second termination changes nothing.
    workspace.notify(WorkspaceNotification::didLaunchApplication);
    shell.directoryWatcher.changed(
        std::filesystem::path(controlCenterPath()).parent_path().string());
    delegate->applicationWillTerminate();
    writeHiddenSet({"com.example.beta"});
    advanceTo(30);
    EXPECT_TRUE(refreshStarts.empty());
    EXPECT_EQ(executor.pendingCount(), 0u);
}

TEST_F(AppDelegateTest, ATerminationBeforeLaunchFindsNothingToStop) {
    delegate->applicationWillTerminate();
    EXPECT_EQ(delegate->controller(), nullptr);
    delegate->applicationDidFinishLaunching();
    EXPECT_TRUE(delegate->hasPollTimer()) << "the early termination did not mark the delegate";
    delegate->applicationWillTerminate();
    EXPECT_FALSE(delegate->hasPollTimer());
}

TEST_F(AppDelegateTest, TheStatusItemTogglesThePopoverAndEachShowingRefreshes) {
    launch();
    shell.popover.preferred = Size{320, 180};
    clickStatusItem();
    EXPECT_TRUE(shell.popover.isShown());
    EXPECT_EQ(shell.popover.contentSize(), (Size{320, 180}));
    EXPECT_EQ(refreshStarts.size(), 1u);
    EXPECT_EQ(shell.eventMonitor.monitorCount(), 1u);
    shell.eventMonitor.clickElsewhere(false);
    executor.runUntilIdle();
    EXPECT_TRUE(shell.popover.isShown()) << "a right click does not reach the monitor";
    shell.eventMonitor.clickElsewhere(true);
    EXPECT_TRUE(shell.popover.isShown()) << "the monitor closes on a later turn";
    executor.runUntilIdle();
    EXPECT_FALSE(shell.popover.isShown());
    EXPECT_EQ(shell.eventMonitor.monitorCount(), 0u);

    shell.popover.preferred = Size{8, 400};
    clickStatusItem();
    EXPECT_EQ(shell.popover.contentSize(), (Size{320, 180})) << "a degenerate size is not applied";
    EXPECT_EQ(refreshStarts.size(), 2u);
    shell.statusBar.click();
    EXPECT_FALSE(shell.popover.isShown());
}

// Clicks on panel rows, on the virtual clock: the uptime the delegate reads follows it.
class AppDelegateActivationTest : public AppDelegateTest {
  protected:
    void SetUp() override {
        launch();
        ASSERT_EQ(shell.panel.inputs.value().hiddenItems.size(), 1u);
        item = shell.panel.inputs->hiddenItems[0];
        ASSERT_TRUE(item.axElement);
        start = executor.now().time_since_epoch() + 1s;
    }
    // Opens the popover, then clicks the row `after` past the start, with the system up for
    // `uptimeBase` longer than the virtual clock has run.
    void clickAt(Duration after, const StatusItemInfo& clicked) {
        executor.advanceTo(TimePoint{} + start + after);
        system.uptime = uptimeBase + start + after;
        if (!shell.popover.isShown()) {
            shell.statusBar.click();
        }
        shell.panel.actions.onActivate(clicked);
    }
    long presses() const {
        const auto actions = simulation.record().of(401).actions;
        return std::count(actions.begin(), actions.end(), "AXPress");
    }
    StatusItemInfo item;
    Duration start{};
    Duration uptimeBase = 1000s;
};

TEST_F(AppDelegateActivationTest, RepeatedClicksOnOneItemCountFromTheLastAcceptedClick) {
    struct Case {
        const char* name;
        std::vector<Duration> clicks;
        long pressed;
    };
    const Case cases[] = {
        {"a double click", {0ms, 200ms}, 1},
        {"one nanosecond inside the window", {0ms, 350ms - 1ns}, 1},
        {"exactly at the window", {0ms, 350ms}, 2},
        {"the third click is measured from the first", {0ms, 200ms, 400ms}, 2},
        {"a click after each window", {0ms, 350ms, 700ms}, 3},
    };
    // The boundary may not move with the uptime it is measured on: sums like 10.0 + 0.35
    // once fell short of the window in floating point at some uptimes and not at others.
    const Duration uptimeBases[] = {0s, 10s, 1000s, 86'400s * 400 + 123'456'789ns};
    for (const auto base : uptimeBases) {
        uptimeBase = base;
        for (const auto& c : cases) {
            SCOPED_TRACE(testing::Message() << c.name << " at uptime " << base.count() << " ns");
            const long before = presses();
            for (const auto at : c.clicks) {
                clickAt(at, item);
            }
            executor.advanceTo(TimePoint{} + start + c.clicks.back() + 1s);
            EXPECT_EQ(presses() - before, c.pressed);
            start = executor.now().time_since_epoch() + 1s;
        }
    }
}

TEST_F(AppDelegateActivationTest, AnIgnoredClickLeavesThePopoverOpenAndAnotherItemIsPressed) {
    clickAt(0ms, item);
    EXPECT_FALSE(shell.popover.isShown());
    clickAt(200ms, item);
    EXPECT_TRUE(shell.popover.isShown()) << "a duplicate click closes nothing";
    EXPECT_EQ(shell.eventMonitor.monitorCount(), 1u);
    StatusItemInfo other = item;
    other.id = item.id + 1;
    clickAt(250ms, other);
    EXPECT_FALSE(shell.popover.isShown());
    EXPECT_EQ(shell.eventMonitor.monitorCount(), 0u) << "the outside-click monitor is removed";
    executor.advanceTo(TimePoint{} + start + 1s);
    EXPECT_EQ(presses(), 2);
}

TEST_F(AppDelegateActivationTest, APressOfAnApplicationThatDoesNotAnswerLeavesTheMainThreadFree) {
    clickStatusItem();  // its refresh ends before the application stops answering
    gate.setOpen(false);
    clickAt(0ms, item);
    EXPECT_FALSE(shell.popover.isShown()) << "the popover closes first";
    // Until the press is asked of the application, which then does not answer.
    const bool started = executor.runUntil([&] { return executor.backgroundJobCount() > 0; },
                                           TimePoint{} + start + 1s);
    ASSERT_TRUE(started) << "the press is made on a background job";
    EXPECT_EQ(executor.now(), TimePoint{} + start + AppDelegate::kPressDelay)
        << "after the popover's delay";

    bool ran = false;
    executor.post([&] { ran = true; });
    executor.runDue();
    EXPECT_TRUE(ran) << "the main thread goes on while the application does not answer";
    EXPECT_EQ(presses(), 0);

    gate.setOpen(true);
    executor.runUntilIdle();
    EXPECT_EQ(presses(), 1);
    EXPECT_EQ(gate.mainThreadPresses, 0);
}

TEST_F(AppDelegateActivationTest, AnItemWithoutAnElementClosesThePopoverAndPressesNothing) {
    StatusItemInfo bare = item;
    bare.axElement = nullptr;
    clickAt(0ms, bare);
    EXPECT_FALSE(shell.popover.isShown());
    executor.advanceTo(TimePoint{} + start + 1s);
    EXPECT_EQ(presses(), 0);
    // The click still counts as the last accepted one.
    clickAt(1200ms, bare);
    clickAt(1300ms, item);
    EXPECT_TRUE(shell.popover.isShown()) << "the same id within the window is a duplicate";
}

TEST_F(AppDelegateActivationTest, CallbacksAndTimersDoNothingOnceTheDelegateIsGone) {
    clickAt(0ms, item);  // a press waits on its delay
    executor.runUntilIdle();
    refreshStarts.clear();
    workspace.notify(WorkspaceNotification::didLaunchApplication);  // a refresh on its debounce
    auto actions = shell.panel.actions;
    delegate.reset();
    workspace.notify(WorkspaceNotification::didTerminateApplication);
    writeHiddenSet({"com.example.beta"});
    actions.onActivate(item);
    actions.onCheckForUpdates();
    advanceTo(seconds() + 10);
    EXPECT_EQ(presses(), 0);
    EXPECT_TRUE(refreshStarts.empty());
    EXPECT_EQ(shell.updater.checks, 0);
}

}  // namespace
}  // namespace stowbar
