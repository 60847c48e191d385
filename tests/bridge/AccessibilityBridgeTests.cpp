#include "adapters/sim/SimulatedDesktop.hpp"
#include "core/AccessibilityBridge.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <limits>
#include <optional>
#include <ostream>
#include <utility>
#include <vector>

#include "adapters/sim/DesktopSimulation.hpp"
#include "adapters/sim/SimulatedAccessibility.hpp"
#include "bridge/SimulatedDesktopBuilders.hpp"
#include "core/MenuBarItemRecords.hpp"
#include "platform/Geometry.hpp"

namespace stowbar {
namespace {

using test::application;
using test::desktopWith;
using test::extraAt;
using test::targetsOf;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

struct Found {
    std::int32_t pid;
    Rect frame;
    friend bool operator==(const Found&, const Found&) = default;
};

std::ostream& operator<<(std::ostream& out, const Found& found) {
    const auto& f = found.frame;
    return out << found.pid << ":(" << f.origin.x << "," << f.origin.y << " " << f.size.width << "x"
               << f.size.height << ")";
}

Found found(std::int32_t pid, double x, double y, double width, double height) {
    return Found{pid, Rect{{x, y}, {width, height}}};
}

// The bridge over a simulated desktop.
struct Scan {
    explicit Scan(SimulatedDesktop desktop) : simulation(std::move(desktop)) {}
    std::vector<AppMenuBarItem> items() const {
        const auto targets = targetsOf(simulation.lock()->desktop.applications);
        return bridge.findMenuBarItems(targets);
    }
    DesktopSimulation simulation;
    SimulatedAccessibility accessibility{simulation};
    AccessibilityBridge bridge{accessibility};
};

std::vector<Found> summary(const std::vector<AppMenuBarItem>& items) {
    std::vector<Found> result;
    result.reserve(items.size());
    for (const auto& item : items) {
        result.push_back(Found{item.pid, item.axFrame});
    }
    return result;
}

TEST(AccessibilityBridge, ResultsKeepTheOrderOfTargetsAndWithinOneTheOrderOfTheBarsChildren) {
    const auto alpha = application(401, "alpha", {extraAt(10, 0, 20, 24), extraAt(40, 0, 22, 24)});
    auto beta = application(402, "beta", {extraAt(5, 0, 30, 24)});
    beta.bundleIdentifier.reset();
    const Scan scan(desktopWith({alpha, beta}));
    const auto& bridge = scan.bridge;
    const auto items = scan.items();
    EXPECT_EQ(summary(items),
              (std::vector<Found>{found(401, 10, 0, 20, 24), found(401, 40, 0, 22, 24),
                                  found(402, 5, 0, 30, 24)}));
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[1].target, 0u);
    EXPECT_EQ(items[2].target, 1u);
    EXPECT_EQ(SimulatedAccessibility::processOf(items[2].element), 402);

    // The order is the targets', not the workspace's.
    EXPECT_EQ(summary(bridge.findMenuBarItems(targetsOf({beta, alpha}))),
              (std::vector<Found>{found(402, 5, 0, 30, 24), found(401, 10, 0, 20, 24),
                                  found(401, 40, 0, 22, 24)}));
}

// Each row shapes the subject application (pid 401); a well-behaved application (pid 402,
// one extra) is always scanned after it, to show that no failure stops the scan.
TEST(AccessibilityBridge, EveryTreeShapeAndFailureLeavesOutOnlyWhatCannotBeRead) {
    struct Row {
        const char* shape;
        std::function<void(SimulatedDesktop&, SimulatedApplication&)> arrange;
        std::vector<Found> subjectItems;
    };
    const auto answering = [](const char* attribute, SimulatedAnswer answer) {
        return [=](SimulatedDesktop&, SimulatedApplication& subject) {
            subject.answers[attribute] = answer;
        };
    };
    const auto firstExtraAnswering = [](const char* attribute, SimulatedAnswer answer) {
        return [=](SimulatedDesktop&, SimulatedApplication& subject) {
            subject.extras[0].answers[attribute] = answer;
        };
    };
    const auto firstExtraSized = [](double width, double height) {
        return [=](SimulatedDesktop&, SimulatedApplication& subject) {
            subject.extras[0].size = Size{width, height};
        };
    };
    const std::vector<Found> second = {found(401, 130, -30, 22, 22)};
    const std::vector<Row> rows = {
        {"as described",
         [](auto&, auto&) {},
         {found(401, 100, 0, 20, 24), found(401, 130, -30, 22, 22)}},
        {"bar without children", [](auto&, auto& s) { s.extras.clear(); }, {}},
        {"no extras bar", [](auto&, auto& s) { s.extrasMenuBar = false; }, {}},
        {"bar request errs", answering("AXExtrasMenuBar", SimulatedAnswer::error), {}},
        {"bar request has no value", answering("AXExtrasMenuBar", SimulatedAnswer::noValue), {}},
        {"bar is not an element", answering("AXExtrasMenuBar", SimulatedAnswer::other), {}},
        {"bar is an empty handle", answering("AXExtrasMenuBar", SimulatedAnswer::nullElement), {}},
        {"bar is an array", answering("AXExtrasMenuBar", SimulatedAnswer::array), {}},
        {"children request errs", answering("AXChildren", SimulatedAnswer::error), {}},
        {"children have no value", answering("AXChildren", SimulatedAnswer::noValue), {}},
        {"children not an array", answering("AXChildren", SimulatedAnswer::other), {}},
        {"children one element", answering("AXChildren", SimulatedAnswer::element), {}},
        {"children a point", answering("AXChildren", SimulatedAnswer::point), {}},
        {"application does not answer", [](auto&, auto& s) { s.responds = false; }, {}},
        {"application not running", [](auto&, auto& s) { s.pid = 499; }, {}},
        {"size request fails", [](auto&, auto& s) { s.extras[0].size.reset(); }, second},
        {"position request fails", [](auto&, auto& s) { s.extras[0].position.reset(); }, second},
        {"size has no value", firstExtraAnswering("AXSize", SimulatedAnswer::noValue), second},
        {"position not a packed value", firstExtraAnswering("AXPosition", SimulatedAnswer::other),
         second},
        {"size is an element", firstExtraAnswering("AXSize", SimulatedAnswer::element), second},
        {"size packed as a point unpacks to zero width",
         firstExtraAnswering("AXSize", SimulatedAnswer::point), second},
        {"position packed as a size unpacks to the origin",
         firstExtraAnswering("AXPosition", SimulatedAnswer::size),
         {found(401, 0, 0, 20, 24), found(401, 130, -30, 22, 22)}},
        {"width 0", firstExtraSized(0, 24), second},
        {"negative width", firstExtraSized(-20, 24), second},
        {"width not a number", firstExtraSized(kNaN, 24), second},
        {"height 0 is kept",
         firstExtraSized(22, 0),
         {found(401, 100, 0, 22, 0), found(401, 130, -30, 22, 22)}},
        {"negative height is kept as reported",
         firstExtraSized(22, -24),
         {found(401, 100, 0, 22, -24), found(401, 130, -30, 22, 22)}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.shape);
        auto subject =
            application(401, "subject", {extraAt(100, 0, 20, 24), extraAt(130, -30, 22, 22)});
        const auto follower = application(402, "follower", {extraAt(200, 0, 24, 24)});
        SimulatedDesktop desktop;
        row.arrange(desktop, subject);
        // The subject is scanned under pid 401 even when the row moved its process away.
        auto target = test::targetOf(subject);
        target.pid = 401;
        desktop.applications = {subject, follower};
        const Scan scan(desktop);
        const auto items = scan.bridge.findMenuBarItems({target, test::targetOf(follower)});
        auto expected = row.subjectItems;
        expected.push_back(found(402, 200, 0, 24, 24));
        EXPECT_EQ(summary(items), expected);
    }
}

TEST(AccessibilityBridge, ReachingTheExtrasTakesTwoRequestsAndEachExtraTwoMore) {
    struct Row {
        const char* shape;
        std::vector<SimulatedExtra> extras;
        int positions;
        int sizes;
    };
    SimulatedExtra unplaced = extraAt(0, 0, 20, 24);
    unplaced.position.reset();
    const std::vector<Row> rows = {
        {"no extras", {}, 0, 0},
        {"one extra", {extraAt(0, 0, 20, 24)}, 1, 1},
        {"three extras",
         {extraAt(0, 0, 20, 24), extraAt(30, 0, 0, 24), extraAt(60, 0, 20, 24)},
         3,
         3},
        {"a failed position saves the size request", {unplaced, extraAt(30, 0, 20, 24)}, 2, 1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.shape);
        const Scan scan(desktopWith({application(401, "alpha", row.extras)}));
        static_cast<void>(scan.items());
        const auto asked = scan.simulation.record().of(401);
        EXPECT_EQ(asked.attributeRequests, 2 + row.positions + row.sizes);
        EXPECT_EQ(asked.attributeRequestsFor("AXExtrasMenuBar"), 1);
        EXPECT_EQ(asked.attributeRequestsFor("AXChildren"), 1);
        EXPECT_EQ(asked.attributeRequestsFor("AXPosition"), row.positions);
        EXPECT_EQ(asked.attributeRequestsFor("AXSize"), row.sizes);
        EXPECT_EQ(asked.windowNumberAttempts, 0);
        EXPECT_EQ(asked.messagingTimeout, 0.1f);
    }
}

TEST(AccessibilityBridge, AnApplicationThatDoesNotAnswerCostsOneTimeoutAndNeverStallsTheNext) {
    auto sleepy = application(403, "sleepy", {extraAt(0, 0, 20, 24), extraAt(30, 0, 20, 24)});
    sleepy.responds = false;
    const auto alpha = application(401, "alpha", {extraAt(10, 0, 20, 24), extraAt(40, 0, 22, 24)});
    const Scan scan(desktopWith({sleepy, alpha}));
    EXPECT_EQ(summary(scan.items()),
              (std::vector<Found>{found(401, 10, 0, 20, 24), found(401, 40, 0, 22, 24)}));
    const auto record = scan.simulation.record();
    const auto asked = record.of(403);
    // The timeout was set before the one request, so it cost 0.1 s, not the system's 6 s.
    EXPECT_EQ(asked.attributeRequests, 1);
    EXPECT_EQ(asked.timeouts, 1);
    EXPECT_DOUBLE_EQ(asked.secondsWaited, double{0.1f});
    EXPECT_DOUBLE_EQ(record.secondsWaited, double{0.1f});
    EXPECT_EQ(record.of(401).timeouts, 0);
}

// Where the window number comes from, and in which order the places are tried.
TEST(AccessibilityBridge, WindowNumberComesFromTheFirstPlaceThatYieldsOneInTheFallbackOrder) {
    const auto ancestors = [](std::size_t count, std::size_t windowAt) {
        std::vector<SimulatedAncestor> chain(count);
        if (windowAt > 0) {
            chain[windowAt - 1].window = 900 + static_cast<std::uint32_t>(windowAt);
        }
        return chain;
    };
    struct Row {
        const char* shape;
        std::function<void(SimulatedExtra&)> arrange;
        std::optional<std::uint32_t> expected;
    };
    const std::vector<Row> rows = {
        {"the element's own", [](auto& e) { e.window = 812; }, 812},
        {"own reports 0, AXWindow has one",
         [](auto& e) {
             e.window = 0;
             e.axWindow = 813;
         },
         813},
        {"own fails, only AXTopLevelUIElement has one", [](auto& e) { e.axTopLevel = 814; }, 814},
        {"AXWindow before AXTopLevelUIElement",
         [](auto& e) {
             e.axWindow = 813;
             e.axTopLevel = 814;
         },
         813},
        {"AXWindow's window reports 0",
         [](auto& e) {
             e.axWindow = 0;
             e.axTopLevel = 814;
         },
         814},
        {"AXWindow not an element",
         [](auto& e) {
             e.axWindow = 813;
             e.answers["AXWindow"] = SimulatedAnswer::other;
             e.axTopLevel = 814;
         },
         814},
        {"own beats the parents'",
         [&](auto& e) {
             e.window = 812;
             e.parents = ancestors(3, 1);
         },
         812},
        {"default parents (bar, application) have none", [](auto&) {}, std::nullopt},
        {"no parent at all", [](auto& e) { e.parents = std::vector<SimulatedAncestor>{}; },
         std::nullopt},
        {"third ancestor's own", [&](auto& e) { e.parents = ancestors(5, 3); }, 903},
        {"second ancestor's AXTopLevelUIElement",
         [](auto& e) {
             e.parents = std::vector<SimulatedAncestor>(4);
             (*e.parents)[1].axTopLevel = 777;
         },
         777},
        {"first ancestor's AXWindow before the second's own",
         [&](auto& e) {
             e.parents = ancestors(3, 2);
             (*e.parents)[0].axWindow = 778;
         },
         778},
        {"eighth ancestor is still asked", [&](auto& e) { e.parents = ancestors(9, 8); }, 908},
        {"ninth ancestor is not", [&](auto& e) { e.parents = ancestors(9, 9); }, std::nullopt},
        {"a parent that is not an element ends the walk",
         [&](auto& e) {
             e.parents = ancestors(4, 3);
             (*e.parents)[1].answers["AXParent"] = SimulatedAnswer::other;
         },
         std::nullopt},
        {"a parent request without value ends the walk",
         [&](auto& e) {
             e.parents = ancestors(4, 3);
             (*e.parents)[1].answers["AXParent"] = SimulatedAnswer::noValue;
         },
         std::nullopt},
        {"an empty parent handle ends the walk",
         [&](auto& e) {
             e.parents = ancestors(4, 3);
             (*e.parents)[0].answers["AXParent"] = SimulatedAnswer::nullElement;
         },
         std::nullopt},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.shape);
        auto extra = extraAt(0, 0, 20, 24);
        row.arrange(extra);
        Scan scan(desktopWith({application(401, "alpha", {extra})}));
        const auto items = scan.items();
        ASSERT_EQ(items.size(), 1u);
        scan.simulation.clearRecord();
        EXPECT_EQ(scan.bridge.windowID(items[0].element), row.expected);
        // Looked up afresh for every attempt.
        const auto record = scan.simulation.record();
        EXPECT_EQ(record.windowNumberLookups, record.windowNumberAttempts());
    }
}

TEST(AccessibilityBridge, WindowNumberSearchIsBoundedInTheWorstCase) {
    // Every element on the way has windows, and every window reports 0.
    SimulatedAncestor useless;
    useless.window = 0;
    useless.axWindow = 0;
    useless.axTopLevel = 0;
    auto extra = extraAt(0, 0, 20, 24);
    extra.window = 0;
    extra.axWindow = 0;
    extra.axTopLevel = 0;
    extra.parents = std::vector<SimulatedAncestor>(20, useless);
    Scan scan(desktopWith({application(401, "alpha", {extra})}));
    const auto items = scan.items();
    ASSERT_EQ(items.size(), 1u);
    scan.simulation.clearRecord();
    EXPECT_EQ(scan.bridge.windowID(items[0].element), std::nullopt);
    const auto asked = scan.simulation.record().of(401);
    EXPECT_EQ(asked.windowNumberAttempts, 3 + 8 * 3);
    EXPECT_EQ(asked.attributeRequestsFor("AXParent"), 8);
    EXPECT_EQ(asked.windowNumberAttempts + asked.attributeRequestsFor("AXParent"), 3 + 8 * 4);
    EXPECT_EQ(asked.attributeRequestsFor("AXWindow"), 9);
    EXPECT_EQ(asked.attributeRequestsFor("AXTopLevelUIElement"), 9);
    EXPECT_EQ(asked.attributeRequests, 8 + 9 + 9);
}

TEST(AccessibilityBridge, WithoutTheWindowNumberFunctionNoNumberIsFoundAndTheScanIsUnaffected) {
    auto extra = extraAt(0, 0, 20, 24);
    extra.window = 812;
    extra.axWindow = 813;
    extra.axTopLevel = 814;
    extra.parents = std::vector<SimulatedAncestor>(12);
    for (auto& ancestor : *extra.parents) {
        ancestor.window = 900;
        ancestor.axWindow = 901;
        ancestor.axTopLevel = 902;
    }
    auto desktop = desktopWith({application(401, "alpha", {extra, extraAt(30, 0, 22, 24)})});
    desktop.windowNumberFunction = false;
    Scan scan(desktop);
    const auto items = scan.items();
    EXPECT_EQ(summary(items),
              (std::vector<Found>{found(401, 0, 0, 20, 24), found(401, 30, 0, 22, 24)}));
    scan.simulation.clearRecord();
    EXPECT_EQ(scan.bridge.windowID(items[0].element), std::nullopt);
    const auto record = scan.simulation.record();
    EXPECT_EQ(record.windowNumberAttempts(), 0);
    EXPECT_EQ(record.windowNumberLookups, 3 + 8 * 3);
    EXPECT_EQ(record.of(401).attributeRequestsFor("AXParent"), 8);
}

TEST(AccessibilityBridge, WindowNumberOfAnElementThatCannotBeAskedIsAbsent) {
    auto extra = extraAt(0, 0, 20, 24);
    extra.window = 812;
    Scan scan(desktopWith({application(401, "alpha", {extra})}));
    auto& simulation = scan.simulation;
    const auto& bridge = scan.bridge;
    const auto items = scan.items();
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(bridge.windowID(items[0].element), 812u);

    EXPECT_EQ(bridge.windowID(nullptr), std::nullopt);

    simulation.update([](SimulatedDesktop& desktop) { desktop.accessibilityTrusted = false; });
    EXPECT_EQ(bridge.windowID(items[0].element), std::nullopt);

    simulation.update([](SimulatedDesktop& desktop) {
        desktop.accessibilityTrusted = true;
        desktop.applications[0].responds = false;
    });
    simulation.clearRecord();
    EXPECT_EQ(bridge.windowID(items[0].element), std::nullopt);
    // Each request cost one timeout; the default parents (bar, application) end the walk.
    const auto asked = simulation.record().of(401);
    EXPECT_EQ(asked.timeouts, asked.attributeRequests + asked.windowNumberAttempts);
    EXPECT_DOUBLE_EQ(asked.secondsWaited, asked.timeouts * double{0.1f});
    EXPECT_LE(asked.windowNumberAttempts + asked.attributeRequestsFor("AXParent"), 3 + 8 * 4);

    simulation.update([](SimulatedDesktop& desktop) { desktop.applications.clear(); });
    EXPECT_EQ(bridge.windowID(items[0].element), std::nullopt);
}

}  // namespace
}  // namespace stowbar
