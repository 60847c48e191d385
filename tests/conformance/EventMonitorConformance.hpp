#pragma once

// One suite for every EventMonitor: the global left-click monitors promised by
// platform/ShellPorts.hpp.
//
// Its harness has
//     EventMonitor& eventMonitor();
//     void clickElsewhere(bool leftButton);   // a click inside another application
//     void turn();                            // runs what the main loop has queued for now

#include <gtest/gtest.h>

#include "platform/ShellPorts.hpp"

namespace stowbar::conformance {

template <class Harness>
class EventMonitorConformance : public ::testing::Test {
  protected:
    Harness harness;
};

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

}  // namespace stowbar::conformance
