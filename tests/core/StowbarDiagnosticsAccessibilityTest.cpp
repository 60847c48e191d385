// The accessibility section of the "--diagnose" report, over the simulated desktop.

#include <gtest/gtest.h>

#include <string>
#include <variant>

#include "adapters/sim/SimulatedDesktop.hpp"
#include "core/StowbarDiagnostics.hpp"
#include "sim-main/ScenarioLoader.hpp"
#include "support/Golden.hpp"
#include "support/SimulatedPlatform.hpp"

namespace stowbar {
namespace {

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

TEST_F(AccessibilitySectionTest, ChoosesTargetsByItsOwnRulesAndListsTheirExtrasInOrder) {
    ports.writeHiddenSet({"com.example.hidden"});
    test::expectGoldenTable("section-rows.txt", [this](const std::string& scenario) {
        auto loaded = ScenarioLoader::parse(scenario);
        if (!std::holds_alternative<SimulatedDesktop>(loaded)) {
            return std::string("not a scenario");
        }
        ports.simulation.clearRecord();
        const std::string text = section(std::get<SimulatedDesktop>(loaded));
        // It asks only what it reports on.
        EXPECT_EQ(ports.simulation.record().attributeRequests() > 0,
                  text.find("apps scanned") != std::string::npos &&
                      text.find("apps scanned: 0") == std::string::npos)
            << text;
        const auto body = text.substr(std::string(kHeader).size());
        return body.substr(0, body.find_last_not_of('\n') + 1);
    });
}

}  // namespace
}  // namespace stowbar
