#pragma once

// One suite for every Workspace: the running applications and the launch and termination
// observers promised by platform/Workspace.hpp.
//
// Its harness has
//     Workspace& workspace();
//     // Starts (then ends) an application with that pid, as the user would, and turns the
//     // loop until the system has told its observers. False when the harness cannot start
//     // applications: the cases then check only what holds without any.
//     bool launch(std::int32_t pid);
//     bool terminate(std::int32_t pid);

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/Workspace.hpp"

namespace stowbar::conformance {

template <class Harness>
class WorkspaceConformance : public ::testing::Test {
  protected:
    bool running(std::int32_t pid) {
        const auto all = harness.workspace().runningApplications();
        return std::any_of(all.begin(), all.end(), [pid](const auto& a) { return a.pid == pid; });
    }
    Harness harness;
};

TYPED_TEST_SUITE_P(WorkspaceConformance);

TYPED_TEST_P(WorkspaceConformance, ObserversHearLaunchesAndTerminationsUntilRemoved) {
    Workspace& workspace = this->harness.workspace();
    std::vector<const char*> heard;
    const auto launches = workspace.addObserver(WorkspaceNotification::didLaunchApplication,
                                                [&] { heard.push_back("launch"); });
    const auto ends = workspace.addObserver(WorkspaceNotification::didTerminateApplication,
                                            [&] { heard.push_back("end"); });
    const auto removed = workspace.addObserver(WorkspaceNotification::didLaunchApplication,
                                               [&] { heard.push_back("removed"); });
    EXPECT_NE(launches, 0u);
    EXPECT_NE(ends, 0u);
    EXPECT_NE(removed, 0u);
    EXPECT_NE(launches, ends);
    EXPECT_NE(ends, removed);
    workspace.removeObserver(removed);
    workspace.removeObserver(removed);

    constexpr std::int32_t pid = 4242;
    if (!this->harness.launch(pid)) {
        EXPECT_TRUE(heard.empty());
        return;
    }
    EXPECT_TRUE(this->running(pid));
    ASSERT_TRUE(this->harness.terminate(pid));
    EXPECT_FALSE(this->running(pid));
    EXPECT_EQ(heard, (std::vector<const char*>{"launch", "end"}));
    workspace.removeObserver(launches);
    workspace.removeObserver(ends);
    this->harness.launch(pid + 1);
    EXPECT_EQ(heard.size(), 2u);
}

REGISTER_TYPED_TEST_SUITE_P(WorkspaceConformance, ObserversHearLaunchesAndTerminationsUntilRemoved);

}  // namespace stowbar::conformance
