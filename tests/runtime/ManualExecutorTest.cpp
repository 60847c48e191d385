#include "runtime/Clock.hpp"
#include "runtime/ManualExecutor.hpp"

#include <gtest/gtest.h>

// What every MainExecutor promises is checked by tests/conformance; these are the virtual-time
// controls only this executor has.

#include <functional>
#include <string>
#include <vector>

namespace stowbar {
namespace {

using namespace std::chrono_literals;

TEST(ManualExecutor, RunUntilIdleRunsWorkPostedByWorkButNotFutureTimersAndRunUntilStopsWhenTold) {
    ManualExecutor executor;
    int depth = 0;
    bool timerRan = false;
    std::function<void()> chain = [&] {
        if (++depth < 5) {
            executor.post(chain);
        }
    };
    executor.post(chain);
    executor.postAt(TimePoint{1ns}, [&] { timerRan = true; });
    executor.runUntilIdle();
    EXPECT_EQ(depth, 5);
    EXPECT_FALSE(timerRan);
    EXPECT_EQ(executor.pendingCount(), 1u);
    EXPECT_EQ(executor.nextDeadline(), TimePoint{1ns});

    // runUntil stops at the job that makes the predicate true, else at its deadline.
    int ticks = 0;
    for (int i = 1; i <= 5; ++i) {
        executor.postAt(TimePoint{i * 1s}, [&] { ++ticks; });
    }
    EXPECT_TRUE(executor.runUntil([&] { return ticks == 3; }, TimePoint{60s}));
    EXPECT_EQ(executor.now(), TimePoint{3s});
    EXPECT_TRUE(timerRan);
    EXPECT_FALSE(executor.runUntil([&] { return ticks == 99; }, TimePoint{60s}));
    EXPECT_EQ(executor.now(), TimePoint{60s});
}

// A job that waits for virtual time is parked: the loop runs its timers meanwhile, and the job
// resumes when the clock reaches its deadline, earliest deadline first, whether or not the
// loop settles after each job. One still parked when the executor goes is released.
TEST(ManualExecutor, AJobWaitingForVirtualTimeLetsTheLoopRunAndResumesAtItsDeadline) {
    for (const bool settle : {false, true}) {
        SCOPED_TRACE(settle);
        std::vector<std::string> seen;
        {
            ManualExecutor executor;
            executor.setBackgroundJobsSettleAfterEachJob(settle);
            const auto at = [&executor](const char* what) {
                return what + std::to_string(executor.now().time_since_epoch() / 1s);
            };
            const auto slow = [&](const char* name, Duration wait, Duration again) {
                executor.startBackgroundJob(
                    [&executor, wait, again] {
                        executor.waitUntil(executor.now() + wait);
                        executor.waitUntil(executor.now() + again);
                    },
                    [&seen, &at, name] { seen.push_back(at(name)); });
            };
            executor.post([&] {
                slow("a", 4s, 1s);
                slow("b", 2s, 0s);
            });
            executor.postAt(TimePoint{1s}, [&] { seen.push_back(at("timer")); });
            executor.postAt(TimePoint{3s}, [&] { seen.push_back(at("timer")); });
            executor.advanceTo(TimePoint{9s});
            EXPECT_EQ(seen, (std::vector<std::string>{"timer1", "b2", "timer3", "a5"}));
            EXPECT_EQ(executor.backgroundJobCount(), 0u);

            executor.post([&] { slow("released", 1000s, 0s); });
            executor.runUntilIdle();
            EXPECT_EQ(executor.parkedJobCount(), 1u);
        }
        EXPECT_EQ(seen.size(), 4u);
    }
}

TEST(ManualExecutorDeathTest, RefusesToRunFromInsideOneOfItsJobs) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            ManualExecutor executor;
            executor.post([&executor] { executor.runUntilIdle(); });
            executor.runUntilIdle();
        },
        "called from inside one of its jobs");
}

}  // namespace
}  // namespace stowbar
