#pragma once

// One suite for every Alerts: the modal alert promised by platform/ShellPorts.hpp.
//
// Its harness has
//     Alerts& alerts();   // answers each alert as the user would, or cannot be shown at all

#include <gtest/gtest.h>

#include "platform/ShellPorts.hpp"

namespace stowbar::conformance {

template <class Harness>
class AlertsConformance : public ::testing::Test {
  protected:
    Harness harness;
};

TYPED_TEST_SUITE_P(AlertsConformance);

TYPED_TEST_P(AlertsConformance, AnswersWithTheIndexOfOneOfItsButtons) {
    for (const std::vector<std::string>& buttons :
         {std::vector<std::string>{"OK"}, std::vector<std::string>{"Open Settings", "Later"}}) {
        const int chosen = this->harness.alerts().runModal(
            AlertDescription{AlertStyle::informational, "Approval Required", "Check.", buttons});
        EXPECT_GE(chosen, 0);
        EXPECT_LT(chosen, static_cast<int>(buttons.size()));
    }
}

REGISTER_TYPED_TEST_SUITE_P(AlertsConformance, AnswersWithTheIndexOfOneOfItsButtons);

}  // namespace stowbar::conformance
