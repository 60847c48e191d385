// The accessibility section of the "--diagnose" report, over the simulated desktop.

#include <gtest/gtest.h>
#include <functional>
#include <string>
#include <vector>

#include "adapters/sim/SimulatedDesktop.hpp"
#include "bridge/SimulatedDesktopBuilders.hpp"
#include "core/StowbarDiagnostics.hpp"
#include "platform/Geometry.hpp"
#include "platform/Workspace.hpp"
#include "support/Golden.hpp"
#include "support/SimulatedPlatform.hpp"

namespace stowbar {
namespace {

using test::application;
using test::extraAt;

constexpr const char* kHeader = "--- Accessibility + AXExtrasMenuBar discovery ---\n";

class AccessibilitySectionTest : public ::testing::Test {
  protected:
    // The report from the accessibility header to its end.
    std::string section(const SimulatedDesktop& desktop) {
        ports.simulation.update([&](SimulatedDesktop& current) { current = desktop; });
        ports.out.str("");
        StowbarDiagnostics::run(ports.platform());
        const std::string text = ports.out.str();
        const auto at = text.find(kHeader);
        return at == std::string::npos ? text : text.substr(at);
    }

    test::SimulatedPlatform ports;
};

SimulatedDesktop desk() {
    auto alpha =
        application(401, "Alpha", {extraAt(1510.4, -30, 30.6, 24), extraAt(1480, -30, 22, 22)});
    alpha.extras[0].window = 812;
    auto toolbox = application(404, "Toolbox", {extraAt(1200, 0, 22, 24)});
    toolbox.bundleIdentifier.reset();
    auto sleepy = application(403, "Sleepy", {extraAt(1250, 0, 22, 24)});
    sleepy.responds = false;
    auto own = application(100, "Stowbar", {extraAt(1560, 0, 24, 24)});
    auto controlCenter = application(110, "Control Center", {extraAt(1600, 0, 30, 24)});
    controlCenter.bundleIdentifier = "com.apple.controlcenter";
    auto helper = application(406, "Helper", {extraAt(1100, 0, 22, 24)});
    helper.activationPolicy = ActivationPolicy::prohibited;
    return test::desktopWith({own, controlCenter,
                              application(402, "weather", {extraAt(1300, 0, 40, 24)}), alpha,
                              sleepy, toolbox, helper});
}

// Without a snapshot the scan still runs and marks nothing hidden; with no targets it shows
// zeros and no item lines.
TEST_F(AccessibilitySectionTest, ListsEveryEligibleApplicationsExtrasByNameWithFrameAndHiddenMark) {
    EXPECT_EQ(section(SimulatedDesktop{}), std::string(kHeader) +
                                               "AXIsProcessTrusted: true\n"
                                               "apps scanned: 0   menu bar items found: 0\n\n");
    test::expectGolden("section-desk-nothing-hidden.txt", section(desk()));
    ports.writeHiddenSet({"com.example.Alpha", "com.example.Sleepy"});
    test::expectGolden("section-desk.txt", section(desk()));
}

TEST_F(AccessibilitySectionTest, ControlCharactersInNamesAndIdentifiersAreEscapedOnTheItemsLine) {
    auto twoLines = application(401, "Two\nLines", {extraAt(1500, 0, 22, 24)});
    twoLines.bundleIdentifier = "com.example.\ttab\x1b";
    const auto report = section(test::desktopWith({twoLines}));
    EXPECT_NE(report.find("  Two\\nLines [com.example.\\ttab\\u{1B}]  ax=(1500,0 22x24)  "
                          "hiddenInPlist=no\n"),
              std::string::npos)
        << report;
}

TEST_F(AccessibilitySectionTest, UntrustedItScansNothing) {
    auto desktop = desk();
    desktop.accessibilityTrusted = false;
    EXPECT_EQ(section(desktop).find("apps scanned"), std::string::npos);
    EXPECT_EQ(ports.simulation.record().attributeRequests(), 0);
}

TEST_F(AccessibilitySectionTest, ChoosesTargetsByItsOwnRulesNotByTheHiddenSet) {
    struct Row {
        const char* application;
        std::function<void(SimulatedApplication&)> arrange;
        bool scanned;
    };
    const std::vector<Row> rows = {
        {"accessory", [](auto&) {}, true},
        {"regular", [](auto& a) { a.activationPolicy = ActivationPolicy::regular; }, true},
        {"prohibited", [](auto& a) { a.activationPolicy = ActivationPolicy::prohibited; }, false},
        {"this process", [](auto& a) { a.pid = 100; }, false},
        {"no name", [](auto& a) { a.name.reset(); }, false},
        {"empty name", [](auto& a) { a.name = ""; }, false},
        {"Control Center", [](auto& a) { a.bundleIdentifier = "com.apple.controlcenter"; }, false},
        {"no bundle identifier", [](auto& a) { a.bundleIdentifier.reset(); }, true},
        {"Control Center in another case",
         [](auto& a) { a.bundleIdentifier = "com.apple.ControlCenter"; }, true},
        {"a Control Center helper",
         [](auto& a) { a.bundleIdentifier = "com.apple.controlcenter.helper"; }, true},
        {"hidden", [](auto& a) { a.bundleIdentifier = "com.example.hidden"; }, true},
    };
    ports.writeHiddenSet({"com.example.hidden"});
    for (const auto& row : rows) {
        SCOPED_TRACE(row.application);
        auto subject = application(401, "Subject", {extraAt(10, 0, 20, 24)});
        row.arrange(subject);
        ports.simulation.clearRecord();
        const auto text = section(test::desktopWith({subject}));
        EXPECT_NE(text.find(row.scanned ? "apps scanned: 1   menu bar items found: 1\n"
                                        : "apps scanned: 0   menu bar items found: 0\n"),
                  std::string::npos)
            << text;
        EXPECT_EQ(ports.simulation.record().of(subject.pid).attributeRequests > 0, row.scanned);
    }
}

TEST_F(AccessibilitySectionTest, SortsByNameStablyWithCapitalsFirst) {
    // Two applications share a name; the bridge's order (targets, then children) breaks ties.
    auto first = application(401, "beta", {extraAt(1, 0, 20, 24), extraAt(2, 0, 20, 24)});
    auto second = application(402, "Beta", {extraAt(3, 0, 20, 24)});
    auto third = application(403, "alpha", {extraAt(4, 0, 20, 24)});
    auto fourth = application(404, "beta", {extraAt(5, 0, 20, 24)});
    fourth.bundleIdentifier = "com.example.beta2";
    auto fifth = application(405, "Alpha", {extraAt(6, 0, 20, 24)});
    // A decomposed "e" + combining acute sorts as its composed form, after every ASCII name.
    auto sixth = application(406, "Eclair", {extraAt(7, 0, 20, 24)});
    auto seventh = application(407, "E\u0301clair", {extraAt(8, 0, 20, 24)});
    seventh.bundleIdentifier = "com.example.eclair";
    const auto text =
        section(test::desktopWith({first, second, third, fourth, fifth, seventh, sixth}));
    test::expectGolden("section-sorted.txt", text);
}

TEST_F(AccessibilitySectionTest, PrintsTheStandardisedFrameRoundedToWholeNumbers) {
    struct Row {
        Rect frame;
        const char* printed;
    };
    const Row rows[] = {
        {{{1510.4, 0}, {30.6, 24}}, "ax=(1510,0 31x24)"},
        {{{1480, -30}, {22, 22}}, "ax=(1480,-30 22x22)"},
        // A negative height is first made positive, moving the origin to the minimum corner.
        {{{10, 5}, {20, -24}}, "ax=(10,-19 20x24)"},
        {{{10.6, 5.2}, {20.2, -24.6}}, "ax=(11,-19 20x25)"},
        {{{0, 0}, {22, 0}}, "ax=(0,0 22x0)"},
        {{{-1512.7, -0.6}, {1e7, 24.49}}, "ax=(-1513,-1 10000000x24)"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.printed);
        SimulatedExtra extra;
        extra.position = row.frame.origin;
        extra.size = row.frame.size;
        const auto text = section(test::desktopWith({application(401, "Alpha", {extra})}));
        EXPECT_NE(text.find(std::string("  Alpha [com.example.Alpha]  ") + row.printed +
                            "  hiddenInPlist=no\n"),
                  std::string::npos)
            << text;
    }
}

}  // namespace
}  // namespace stowbar
