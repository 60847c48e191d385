#include "runtime/Clock.hpp"

#include <gtest/gtest.h>

#include <limits>

namespace stowbar {
namespace {

using namespace std::chrono_literals;

TEST(VirtualClock, MovesOnlyForwardAndOnlyWhenTold) {
    VirtualClock clock(TimePoint{5s});
    EXPECT_EQ(clock.now(), TimePoint{5s});
    clock.advanceBy(1ns);
    EXPECT_EQ(clock.now(), TimePoint{5s + 1ns});
    clock.advanceTo(TimePoint{1s});
    clock.advanceBy(-3s);
    EXPECT_EQ(clock.now(), TimePoint{5s + 1ns});
}

TEST(DeadlineAfter, SaturatesInsteadOfWrappingAround) {
    constexpr auto max = std::numeric_limits<Duration::rep>::max();
    constexpr auto min = std::numeric_limits<Duration::rep>::min();
    struct Case {
        Duration start;
        Duration delay;
        Duration expected;
    };
    const Case cases[] = {
        {Duration{10}, Duration{5}, Duration{15}},
        {Duration{10}, Duration{-15}, Duration{-5}},
        {Duration{max - 1}, Duration{1}, Duration{max}},
        {Duration{1}, Duration{max}, Duration{max}},
        {Duration{max}, Duration{max}, Duration{max}},
        {Duration{-1}, Duration{min}, Duration{min}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(deadlineAfter(TimePoint{c.start}, c.delay), TimePoint{c.expected})
            << c.start.count() << " + " << c.delay.count();
    }
}

}  // namespace
}  // namespace stowbar
