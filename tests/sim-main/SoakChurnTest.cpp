#include "adapters/sim/SimulatedDesktop.hpp"
#include "sim-main/SoakChurn.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <utility>
#include <variant>
#include <vector>

namespace stowbar {
namespace {

std::vector<ScriptAction> allOf(SoakChurn churn) {
    std::vector<ScriptAction> actions;
    while (auto action = churn.next()) {
        actions.push_back(std::move(*action));
    }
    return actions;
}

TEST(SoakChurn, TheSameSeedChurnsAlikeAndEachDayEndsWindedDownAtItsExactEnd) {
    const auto actions = allOf(SoakChurn(2, 7, 1000));
    EXPECT_EQ(actions, allOf(SoakChurn(2, 7, 1000)));
    EXPECT_NE(actions, allOf(SoakChurn(2, 8, 1000)));

    SoakChurn churn(2, 7, 1000);
    std::vector<int> days;
    std::set<std::int32_t> running;
    std::set<std::int32_t> launched;
    double last = 0;
    for (const auto& action : actions) {
        EXPECT_GE(action.at, last) << "actions come in order of time";
        last = action.at;
        if (const auto* launch = std::get_if<script::Launch>(&action.event)) {
            EXPECT_TRUE(launched.insert(launch->application.pid).second) << "pids are fresh";
            running.insert(launch->application.pid);
        } else if (const auto* ended = std::get_if<script::Terminate>(&action.event)) {
            EXPECT_EQ(running.erase(ended->pid), 1u) << "only running applications end";
        } else if (const auto day = churn.dayEndedBy(action)) {
            days.push_back(*day);
            EXPECT_EQ(action.at, *day * SoakChurn::kSecondsPerDay);
            EXPECT_TRUE(running.empty()) << "the day winds down before it ends";
        }
    }
    EXPECT_EQ(days, (std::vector<int>{1, 2}));
    EXPECT_GT(launched.size(), 100u) << "a day has plenty of churn";
}

}  // namespace
}  // namespace stowbar
