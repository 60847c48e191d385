#pragma once

// One suite for every Updater: the updater promised by platform/ShellPorts.hpp.
//
// Its harness has
//     Updater& updater();
//     int checksShown();   // checks the user has seen begin so far

#include <gtest/gtest.h>

#include "platform/ShellPorts.hpp"

namespace stowbar::conformance {

template <class Harness>
class UpdaterConformance : public ::testing::Test {
  protected:
    Harness harness;
};

TYPED_TEST_SUITE_P(UpdaterConformance);

TYPED_TEST_P(UpdaterConformance, EachCheckIsShownOnlyWhereThereIsAnUpdater) {
    Updater& updater = this->harness.updater();
    updater.start();
    updater.checkForUpdates();
    updater.checkForUpdates();
    EXPECT_EQ(this->harness.checksShown(), updater.isAvailable() ? 2 : 0);
}

REGISTER_TYPED_TEST_SUITE_P(UpdaterConformance, EachCheckIsShownOnlyWhereThereIsAnUpdater);

}  // namespace stowbar::conformance
