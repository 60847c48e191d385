#pragma once

// One suite for every LoginItemService: the registration promised by platform/ShellPorts.hpp.
//
// Its harness has
//     LoginItemService& loginItems();

#include <gtest/gtest.h>

#include "platform/ShellPorts.hpp"

namespace stowbar::conformance {

template <class Harness>
class LoginItemServiceConformance : public ::testing::Test {
  protected:
    Harness harness;
};

TYPED_TEST_SUITE_P(LoginItemServiceConformance);

TYPED_TEST_P(LoginItemServiceConformance,
             ASucceededRegistrationLeavesTheItemEnabledOrAwaitingApproval) {
    LoginItemService& service = this->harness.loginItems();
    const LoginItemStatus before = service.status();
    if (service.registerMainApp()) {
        EXPECT_TRUE(service.status() == LoginItemStatus::enabled ||
                    service.status() == LoginItemStatus::requiresApproval);
    } else {
        EXPECT_EQ(service.status(), before) << "a failed registration changes nothing";
    }
}

REGISTER_TYPED_TEST_SUITE_P(LoginItemServiceConformance,
                            ASucceededRegistrationLeavesTheItemEnabledOrAwaitingApproval);

}  // namespace stowbar::conformance
