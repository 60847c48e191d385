#pragma once

// One suite for every StatusBar: the status item promised by platform/ShellPorts.hpp.
//
// Its harness has
//     StatusBar& statusBar();   // a fresh status bar on a system that has a menu bar
//     void clickStatusItem();   // the user's click on the item
//     void turn();              // runs what the main loop has queued for now

#include <gtest/gtest.h>

#include "platform/ShellPorts.hpp"

namespace stowbar::conformance {

template <class Harness>
class StatusBarConformance : public ::testing::Test {
  protected:
    Harness harness;
};

TYPED_TEST_SUITE_P(StatusBarConformance);

TYPED_TEST_P(StatusBarConformance, EachClickOnTheItemCallsItsActionOnce) {
    int clicks = 0;
    ASSERT_TRUE(this->harness.statusBar().addStatusItem("chevron.down.2", "Stowbar",
                                                        [&clicks] { ++clicks; }));
    this->harness.turn();
    EXPECT_EQ(clicks, 0);
    this->harness.clickStatusItem();
    this->harness.turn();
    this->harness.clickStatusItem();
    this->harness.turn();
    EXPECT_EQ(clicks, 2);
}

REGISTER_TYPED_TEST_SUITE_P(StatusBarConformance, EachClickOnTheItemCallsItsActionOnce);

}  // namespace stowbar::conformance
