// The simulated desktop's own promises: what tests and stowbar-sim rely on when they use it
// to stand in for a real system.

#include "adapters/sim/DesktopSimulation.hpp"
#include "adapters/sim/SimulatedAccessibility.hpp"
#include "adapters/sim/SimulatedDesktop.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "core/AccessibilityBridge.hpp"
#include "core/MenuBarItemRecords.hpp"
#include "platform/Accessibility.hpp"
#include "platform/Geometry.hpp"
#include "runtime/Clock.hpp"
#include "runtime/ManualExecutor.hpp"
#include "support/SimulatedDesktopBuilders.hpp"

namespace stowbar {
namespace {

using test::application;
using test::desktopWith;
using test::extraAt;

TEST(SimulatedAccessibility,
     AnApplicationThatDoesNotAnswerCostsTheSystemDefaultUntilATimeoutIsSet) {
    auto sleepy = application(403, "sleepy", {extraAt(0, 0, 20, 24)});
    sleepy.responds = false;
    DesktopSimulation simulation(desktopWith({sleepy}));
    SimulatedAccessibility accessibility(simulation);
    const auto element = accessibility.applicationElement(403);

    EXPECT_EQ(accessibility.copyAttributeValue(element, "AXExtrasMenuBar").error,
              kAXErrorCannotComplete);
    EXPECT_DOUBLE_EQ(simulation.record().of(403).secondsWaited, 6.0);

    EXPECT_EQ(accessibility.setMessagingTimeout(element, 0.25f), kAXErrorSuccess);
    EXPECT_EQ(accessibility.copyAttributeValue(element, "AXExtrasMenuBar").error,
              kAXErrorCannotComplete);
    EXPECT_DOUBLE_EQ(simulation.record().of(403).secondsWaited, 6.25);
    EXPECT_EQ(simulation.record().of(403).timeouts, 2);

    // Zero restores the default; a negative timeout is refused and changes nothing.
    EXPECT_EQ(accessibility.setMessagingTimeout(element, -1.0f), kAXErrorIllegalArgument);
    EXPECT_EQ(simulation.record().of(403).messagingTimeout, 0.25f);
    EXPECT_EQ(accessibility.setMessagingTimeout(element, 0.0f), kAXErrorSuccess);
    EXPECT_EQ(simulation.record().of(403).messagingTimeout, std::nullopt);

    // Without trust every request fails at once, answering or not.
    simulation.update([](SimulatedDesktop& desktop) { desktop.accessibilityTrusted = false; });
    EXPECT_FALSE(accessibility.isProcessTrusted());
    EXPECT_EQ(accessibility.copyAttributeValue(element, "AXExtrasMenuBar").error,
              kAXErrorAPIDisabled);
    EXPECT_DOUBLE_EQ(simulation.record().of(403).secondsWaited, 6.25);
}

TEST(SimulatedAccessibility, ElementsStayValidUntilTheirApplicationEndsOrItsExtrasChange) {
    using Step = std::function<void(SimulatedDesktop&)>;
    struct Row {
        const char* change;
        Step first;
        Step then;  // a second update of the desktop, if any
        bool extraValid;
        bool applicationValid;
    };
    const Step terminate = [](auto& d) {
        d.applications.clear();
    };
    const Row rows[] = {
        {"trust withdrawn and granted again", [](auto& d) { d.accessibilityTrusted = false; },
         [](auto& d) { d.accessibilityTrusted = true; }, true, true},
        {"stopped and started answering", [](auto& d) { d.applications[0].responds = false; },
         [](auto& d) { d.applications[0].responds = true; }, true, true},
        {"renamed", [](auto& d) { d.applications[0].name = "renamed"; }, nullptr, true, true},
        {"another application launched",
         [](auto& d) { d.applications.push_back(application(402, "beta")); }, nullptr, true, true},
        {"extras replaced",
         [](auto& d) {
             d.applications[0].extras[0].position = Point{5, 5};
         },
         nullptr, false, true},
        {"terminated", terminate, nullptr, false, false},
        {"terminated and relaunched under the same pid", terminate,
         [](auto& d) {
             d.applications.push_back(application(401, "alpha", {extraAt(0, 0, 20, 24)}));
         },
         false, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.change);
        const auto alpha = application(401, "alpha", {extraAt(0, 0, 20, 24)});
        DesktopSimulation simulation(desktopWith({alpha}));
        SimulatedAccessibility accessibility(simulation);
        const auto app = accessibility.applicationElement(401);
        const auto items =
            AccessibilityBridge(accessibility).findMenuBarItems({test::targetOf(alpha)});
        ASSERT_EQ(items.size(), 1u);
        const auto extra = items[0].element;

        simulation.update(row.first);
        if (row.then) {
            simulation.update(row.then);
        }
        EXPECT_EQ(accessibility.copyAttributeValue(extra, "AXPosition").error == kAXErrorSuccess,
                  row.extraValid);
        EXPECT_EQ(accessibility.copyAttributeValue(app, "AXExtrasMenuBar").error == kAXErrorSuccess,
                  row.applicationValid);
        EXPECT_EQ(accessibility.performAction(extra, "AXPress") == kAXErrorSuccess, row.extraValid);
    }
}

// Run under ThreadSanitizer this shows the simulation safe for the program's one worker
// thread: a scan in the background while the main thread resolves windows and the desktop
// changes.
TEST(SimulatedAccessibility, AScanOnAWorkerThreadMayOverlapMainThreadRequestsAndChanges) {
    std::vector<SimulatedApplication> applications;
    for (std::int32_t pid = 401; pid < 441; ++pid) {
        auto subject = application(pid, "app" + std::to_string(pid),
                                   {extraAt(0, 0, 20, 24), extraAt(30, 0, 20, 24)});
        subject.extras[1].window = static_cast<std::uint32_t>(pid);
        applications.push_back(subject);
    }
    DesktopSimulation simulation(desktopWith(applications));
    SimulatedAccessibility accessibility(simulation);
    const AccessibilityBridge bridge(accessibility);
    const auto targets = test::targetsOf(applications);
    const auto first = bridge.findMenuBarItems(targets);
    ASSERT_EQ(first.size(), 80u);

    std::vector<AppMenuBarItem> scanned;
    std::thread worker([&] {
        for (int round = 0; round < 20; ++round) {
            scanned = bridge.findMenuBarItems(targets);
        }
    });
    for (int round = 0; round < 20; ++round) {
        for (const auto& item : first) {
            static_cast<void>(bridge.windowID(item.element));
        }
        simulation.update([round](auto& d) { d.applications[0].responds = round % 2 == 0; });
    }
    worker.join();
    EXPECT_GE(scanned.size(), 78u);
}

// On a worker, each request to a slow application is answered once its delay has passed on the
// loop's virtual clock; one that is to quit ends right after its last answer and says so, and
// a press of its extra then names it but finds nothing.
TEST(SimulatedAccessibility, SlowAnswersTakeVirtualTimeAndAnApplicationCanQuitMidScan) {
    using namespace std::chrono_literals;
    auto quitter = application(401, "alpha", {extraAt(0, -30, 20, 24)});
    quitter.quitAfterRequests = 3;
    auto slow = application(402, "beta", {extraAt(30, -30, 20, 24)});
    slow.answerDelay = 0.05;
    DesktopSimulation simulation(desktopWith({quitter, slow}));
    SimulatedAccessibility accessibility(simulation);
    const AccessibilityBridge bridge(accessibility);
    ManualExecutor executor;
    int quits = 0;
    simulation.attach(&executor, [&] { ++quits; });

    const AXElement alphaElement = accessibility.applicationElement(401);
    std::vector<AppMenuBarItem> found;
    TimePoint endedAt;
    executor.post([&] {
        executor.startBackgroundJob(
            [&] {
                found = bridge.findMenuBarItems(test::targetsOf({quitter, slow}));
                for (const auto& item : found) {
                    accessibility.performAction(item.element, "AXPress");
                }
            },
            [&] { endedAt = executor.now(); });
    });
    executor.advanceBy(10s);
    simulation.attach(nullptr, nullptr);
    accessibility.performAction(alphaElement, "AXPress");

    EXPECT_EQ(quits, 1);
    EXPECT_EQ(simulation.desktop().applications.size(), 1u) << "alpha has ended";
    ASSERT_EQ(found.size(), 1u) << "alpha ended before its extra was read";
    EXPECT_EQ(found[0].pid, 402);
    // Beta's requests: its extras bar, its children, the extra's position and size, and the
    // press, each 0.05 s.
    EXPECT_EQ(endedAt, TimePoint{250ms});
    const auto presses = simulation.lock()->presses;
    ASSERT_EQ(presses.size(), 2u);
    EXPECT_EQ(presses[0].application, "beta");
    EXPECT_TRUE(presses[0].found);
    EXPECT_EQ(presses[1].application, "alpha");
    EXPECT_FALSE(presses[1].found);
}

}  // namespace
}  // namespace stowbar
