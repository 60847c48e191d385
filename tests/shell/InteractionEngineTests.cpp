#include "core/InteractionEngine.hpp"

#include <gtest/gtest.h>

#include "adapters/sim/DesktopSimulation.hpp"
#include "adapters/sim/SimulatedAccessibility.hpp"
#include "bridge/SimulatedDesktopBuilders.hpp"

namespace stowbar {
namespace {

TEST(InteractionEngineTest, PressesTheItemsOwnElementAndNothingWithoutOne) {
    DesktopSimulation simulation(
        test::desktopWith({test::application(401, "alpha", {test::extraAt(1500, -30, 24, 22)})}));
    SimulatedAccessibility accessibility(simulation);
    InteractionEngine engine(accessibility);

    StatusItemInfo bare;
    engine.activate(bare);
    EXPECT_TRUE(simulation.record().of(401).actions.empty());

    StatusItemInfo item;
    item.axElement = accessibility.applicationElement(401);
    engine.activate(item);
    EXPECT_EQ(simulation.record().of(401).actions, std::vector<std::string>{"AXPress"});
}

TEST(InteractionEngineTest, AFailedPressIsNeitherRetriedNorReported) {
    auto desktop = test::desktopWith({test::application(402, "beta", {})});
    desktop.applications[0].responds = false;
    DesktopSimulation simulation(std::move(desktop));
    SimulatedAccessibility accessibility(simulation);
    InteractionEngine engine(accessibility);
    StatusItemInfo item;
    item.axElement = accessibility.applicationElement(402);
    engine.activate(item);
    EXPECT_EQ(simulation.record().of(402).actions.size(), 1u);
}

}  // namespace
}  // namespace stowbar
