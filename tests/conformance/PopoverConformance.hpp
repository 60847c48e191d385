#pragma once

// One suite for every Popover: showing, closing and the didShow announcement promised by
// platform/ShellPorts.hpp.
//
// Its harness has
//     Popover& popover();   // a fresh popover with no panel
//     void turn();          // runs what the main loop has queued for now

#include <gtest/gtest.h>

#include "platform/ShellPorts.hpp"

namespace stowbar::conformance {

template <class Harness>
class PopoverConformance : public ::testing::Test {
  protected:
    Harness harness;
};

TYPED_TEST_SUITE_P(PopoverConformance);

TYPED_TEST_P(PopoverConformance, AnnouncesEachShowingOnATurnOfItsOwn) {
    Popover& popover = this->harness.popover();
    int shows = 0;
    popover.configure(Size{300, 200}, [&shows] { ++shows; });
    EXPECT_FALSE(popover.isShown());
    EXPECT_FALSE(popover.preferredContentSize().has_value()) << "no panel, no preferred size";

    popover.show();
    EXPECT_TRUE(popover.isShown());
    EXPECT_EQ(shows, 0) << "didShow is never called inside show()";
    this->harness.turn();
    EXPECT_EQ(shows, 1);

    popover.show();
    this->harness.turn();
    EXPECT_EQ(shows, 1) << "showing a shown popover announces nothing";

    popover.close();
    EXPECT_FALSE(popover.isShown());
    popover.show();
    this->harness.turn();
    EXPECT_EQ(shows, 2) << "every showing is announced";
    popover.close();
}

REGISTER_TYPED_TEST_SUITE_P(PopoverConformance, AnnouncesEachShowingOnATurnOfItsOwn);

}  // namespace stowbar::conformance
