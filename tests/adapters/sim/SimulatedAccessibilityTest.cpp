// When the simulated desktop's elements stop being valid, as a real system's do: the scans and
// transcripts never ask an element of a changed tree, so only this shows it.

#include "adapters/sim/DesktopSimulation.hpp"
#include "adapters/sim/SimulatedAccessibility.hpp"
#include "adapters/sim/SimulatedDesktop.hpp"

#include <gtest/gtest.h>

#include <functional>

#include "core/AccessibilityBridge.hpp"
#include "platform/Accessibility.hpp"
#include "platform/Geometry.hpp"
#include "support/SimulatedDesktopBuilders.hpp"

namespace stowbar {
namespace {

using test::application;
using test::desktopWith;
using test::extraAt;

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
        {"another application launched",
         [](auto& d) { d.applications.push_back(application(402, "beta")); }, nullptr, true, true},
        {"extras replaced",
         [](auto& d) {
             d.applications[0].extras[0].position = Point{5, 5};
         },
         nullptr, false, true},
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

}  // namespace
}  // namespace stowbar
