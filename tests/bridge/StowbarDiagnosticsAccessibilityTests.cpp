// The accessibility section of the "--diagnose" report, over the simulated desktop.

#include <gtest/gtest.h>

#include <string>
#include <variant>

#include "adapters/sim/ScenarioLoader.hpp"
#include "adapters/sim/SimulatedDesktop.hpp"
#include "bridge/SimulatedDesktopBuilders.hpp"
#include "core/StowbarDiagnostics.hpp"
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

// With no targets it shows zeros and no item lines. Scans with and without a snapshot, of the
// example desk and others, are checked end to end by stowbar-sim's golden reports.
TEST_F(AccessibilitySectionTest, WithNothingToScanItShowsZeros) {
    EXPECT_EQ(section(SimulatedDesktop{}), std::string(kHeader) +
                                               "AXIsProcessTrusted: true\n"
                                               "apps scanned: 0   menu bar items found: 0\n\n");
}

TEST_F(AccessibilitySectionTest, UntrustedItScansNothing) {
    auto desktop = test::desktopWith({application(401, "Alpha", {extraAt(1500, 0, 22, 24)})});
    desktop.accessibilityTrusted = false;
    EXPECT_EQ(section(desktop).find("apps scanned"), std::string::npos);
    EXPECT_EQ(ports.simulation.record().attributeRequests(), 0);
}

TEST_F(AccessibilitySectionTest, ChoosesTargetsByItsOwnRulesAndPrintsEachExtrasStandardisedFrame) {
    ports.writeHiddenSet({"com.example.hidden"});
    test::expectGoldenTable("section-rows.txt", [this](const std::string& subject) {
        auto loaded = ScenarioLoader::parse("{\"applications\": [" + subject + "]}");
        if (!std::holds_alternative<SimulatedDesktop>(loaded)) {
            return std::string("not a scenario");
        }
        ports.simulation.clearRecord();
        std::string text = section(std::get<SimulatedDesktop>(loaded));
        const auto pid = std::get<SimulatedDesktop>(loaded).applications.at(0).pid;
        EXPECT_EQ(ports.simulation.record().of(pid).attributeRequests > 0,
                  text.find("apps scanned: 1") != std::string::npos)
            << text;
        text = text.substr(text.find("apps scanned"));
        return text.substr(0, text.find_last_not_of('\n') + 1);
    });
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

}  // namespace
}  // namespace stowbar
