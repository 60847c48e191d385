#include "adapters/sim/SimulatedDesktop.hpp"
#include "core/AccessibilityBridge.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <ostream>
#include <sstream>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "adapters/sim/DesktopSimulation.hpp"
#include "adapters/sim/SimulatedAccessibility.hpp"
#include "core/MenuBarItemRecords.hpp"
#include "platform/Geometry.hpp"
#include "sim-main/ScenarioLoader.hpp"
#include "support/Golden.hpp"
#include "support/SimulatedDesktopBuilders.hpp"

namespace stowbar {
namespace {

using test::application;
using test::desktopWith;
using test::extraAt;
using test::targetsOf;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

struct Scan {
    explicit Scan(SimulatedDesktop desktop) : simulation(std::move(desktop)) {}
    std::vector<AppScanTarget> targets() const {
        return targetsOf(simulation.lock()->desktop.applications);
    }
    std::vector<AppMenuBarItem> items() const { return bridge.findMenuBarItems(targets()); }
    DesktopSimulation simulation;
    SimulatedAccessibility accessibility{simulation};
    AccessibilityBridge bridge{accessibility};
};

// A desktop of the applications given in scenario notation, one after another.
SimulatedDesktop desktopOf(const std::string& applications) {
    auto loaded = ScenarioLoader::parse("{\"applications\": [" + applications + "]}");
    if (const auto* error = std::get_if<ScenarioError>(&loaded)) {
        ADD_FAILURE() << ScenarioLoader::describe("input", *error);
        return {};
    }
    return std::get<SimulatedDesktop>(std::move(loaded));
}

// Each item as pid, its target's name and [identifier], and (x,y WxH), in the order found.
std::string printed(const std::vector<AppMenuBarItem>& items,
                    const std::vector<AppScanTarget>& targets) {
    std::ostringstream out;
    for (const auto& item : items) {
        const auto& f = item.axFrame;
        const auto& target = targets.at(item.target);
        out << (out.tellp() > 0 ? "  " : "") << item.pid << " " << target.appName << " ["
            << target.bundleIdentifier.value_or("-") << "] (" << f.origin.x << "," << f.origin.y
            << " " << f.size.width << "x" << f.size.height << ")";
    }
    return out.str();
}

// What was asked of `pid`: its attribute requests by name, window-number attempts, timeouts
// and the seconds they cost (of all applications'), and the messaging timeout set.
std::string requests(const AccessibilityRecord& record, std::int32_t pid) {
    const auto asked = record.of(pid);
    std::ostringstream out;
    out << "asked:";
    for (const auto& [attribute, count] : asked.attributes) {
        out << " " << attribute << "=" << count;
    }
    out << "; windows=" << asked.windowNumberAttempts << " timeouts=" << asked.timeouts
        << " waited=" << asked.secondsWaited << " of " << record.secondsWaited
        << " timeout=" << asked.messagingTimeout.value_or(0);
    return out.str();
}

// Reaching the extras takes two requests and each extra two more, a failed position saving
// the size request. The timeout is set before the first request, so an application that does
// not answer costs one timeout of 0.1 s, not the system's 6 s.
TEST(AccessibilityBridge, EveryTreeShapeAndFailureLeavesOutOnlyWhatCannotBeRead) {
    test::expectGoldenTable("bridge-tree-shapes.txt", [](const std::string& subject) {
        // The follower comes first among the running applications, after the subject among
        // the targets: the results keep the targets' order.
        const Scan scan(desktopOf(
            R"({"pid": 402, "extras": [{"position": [200, 0], "size": [24, 24]}]}, )" + subject));
        const std::vector<AppScanTarget> targets = {{401, "com.example.subject", "subject"},
                                                    {402, std::nullopt, "follower"}};
        const auto items = scan.bridge.findMenuBarItems(targets);
        return printed(items, targets) + "\n" + requests(scan.simulation.record(), 401);
    });
    // A width that is not a number, which no scenario can state, leaves the extra out too.
    const Scan scan(desktopWith({application(401, "alpha", {extraAt(0, 0, kNaN, 24)})}));
    EXPECT_TRUE(scan.items().empty());
}

TEST(AccessibilityBridge, WindowNumberComesFromTheFirstPlaceThatYieldsOneInTheFallbackOrder) {
    test::expectGoldenTable("bridge-window-numbers.txt", [](const std::string& extra) {
        Scan scan(desktopOf(R"({"pid": 401, "extras": [)" + extra + "]}"));
        const auto items = scan.items();
        if (items.size() != 1) {
            return std::string("not scanned");
        }
        scan.simulation.clearRecord();
        const auto window = scan.bridge.windowID(items[0].element);
        const auto record = scan.simulation.record();
        // Looked up afresh for every attempt.
        EXPECT_EQ(record.windowNumberLookups, record.windowNumberAttempts());
        const auto asked = record.of(401);
        return (window ? std::to_string(*window) : "none") +
               "  attempts=" + std::to_string(asked.windowNumberAttempts) +
               " parents=" + std::to_string(asked.attributeRequestsFor("AXParent"));
    });
}

TEST(AccessibilityBridge, WithoutTheWindowNumberFunctionNoNumberIsFoundAndTheScanIsUnaffected) {
    // Every element on the way would report a window.
    auto extra = extraAt(0, 0, 20, 24);
    extra.window = 812;
    extra.axWindow = 813;
    extra.axTopLevel = 814;
    extra.parents = std::vector<SimulatedAncestor>(12, SimulatedAncestor{900, 901, 902, {}});
    auto desktop = desktopWith({application(401, "alpha", {extra})});
    desktop.windowNumberFunction = false;
    Scan scan(desktop);
    const auto items = scan.items();
    ASSERT_EQ(printed(items, scan.targets()), "401 alpha [com.example.alpha] (0,0 20x24)");
    scan.simulation.clearRecord();
    EXPECT_EQ(scan.bridge.windowID(items[0].element), std::nullopt);
    const auto record = scan.simulation.record();
    EXPECT_EQ(record.windowNumberAttempts(), 0);
    EXPECT_EQ(record.windowNumberLookups, 3 + 8 * 3);
}

}  // namespace
}  // namespace stowbar
