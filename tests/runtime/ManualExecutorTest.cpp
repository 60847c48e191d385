#include "runtime/ManualExecutor.hpp"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace stowbar {
namespace {

using namespace std::chrono_literals;

TEST(ManualExecutor, RunsTimersInDeadlineOrderAndFifoAmongEqualDeadlines) {
    ManualExecutor executor;
    std::string log;
    executor.postAt(TimePoint{3s}, [&] { log += "c"; });
    executor.postAt(TimePoint{1s}, [&] { log += "a"; });
    executor.postAt(TimePoint{2s}, [&] { log += "b1"; });
    executor.postAt(TimePoint{2s}, [&] { log += "b2"; });
    executor.post([&] { log += "now"; });
    executor.advanceBy(10s);
    EXPECT_EQ(log, "nowab1b2c");
    EXPECT_EQ(executor.now(), TimePoint{10s});
}

TEST(ManualExecutor, RunsNothingOneNanosecondBeforeADeadlineAndTheJobAtIt) {
    ManualExecutor executor;
    TimePoint ranAt{};
    int runs = 0;
    executor.postAt(TimePoint{12s}, [&] {
        ++runs;
        ranAt = executor.now();
    });
    executor.advanceTo(TimePoint{12s - 1ns});
    EXPECT_EQ(runs, 0);
    executor.advanceBy(1ns);
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(ranAt, TimePoint{12s});
}

TEST(ManualExecutor, SetsTheClockToEachDeadlineAsItGoes) {
    ManualExecutor executor;
    std::vector<TimePoint> seen;
    executor.postAt(TimePoint{2s}, [&] {
        seen.push_back(executor.now());
        // Work posted by a timer runs at that timer's time, before later deadlines.
        executor.post([&] { seen.push_back(executor.now()); });
        executor.postAt(executor.now() + 1s, [&] { seen.push_back(executor.now()); });
    });
    executor.postAt(TimePoint{5s}, [&] { seen.push_back(executor.now()); });
    executor.advanceTo(TimePoint{9s});
    EXPECT_EQ(seen, (std::vector{TimePoint{2s}, TimePoint{2s}, TimePoint{3s}, TimePoint{5s}}));
}

TEST(ManualExecutor, RunUntilIdleRunsWorkPostedByWorkButNotFutureTimers) {
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
}

TEST(ManualExecutor, CancelledTimerNeverRunsAndCancellingTwiceOrLateIsHarmless) {
    ManualExecutor executor;
    int runs = 0;
    const TimerId kept = executor.postAt(TimePoint{1s}, [&] { ++runs; });
    const TimerId dropped = executor.postAt(TimePoint{1s}, [&] { runs += 100; });
    executor.cancel(dropped);
    executor.cancel(dropped);
    executor.cancel(TimerId{});
    executor.cancel(TimerId{12345});
    executor.advanceBy(1s);
    executor.cancel(kept);
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(executor.pendingCount(), 0u);
}

TEST(ManualExecutor, RunUntilStopsAtTheJobThatMakesThePredicateTrue) {
    ManualExecutor executor;
    int ticks = 0;
    for (int i = 1; i <= 5; ++i) {
        executor.postAt(TimePoint{i * 1s}, [&] { ++ticks; });
    }
    EXPECT_TRUE(executor.runUntil([&] { return ticks == 3; }, TimePoint{60s}));
    EXPECT_EQ(executor.now(), TimePoint{3s});
    EXPECT_FALSE(executor.runUntil([&] { return ticks == 99; }, TimePoint{60s}));
    EXPECT_EQ(executor.now(), TimePoint{60s});
}

TEST(ManualExecutor, WaitsForBackgroundJobsBeforeMovingTheClock) {
    ManualExecutor executor;
    std::thread::id workerThread;
    TimePoint resultAt{Duration{-1}};
    executor.postAt(TimePoint{1s}, [&] {
        executor.startBackgroundJob([&] { workerThread = std::this_thread::get_id(); },
                                    [&] { resultAt = executor.now(); });
    });
    executor.advanceBy(5s);
    // The job took no virtual time, however long the worker actually took.
    EXPECT_EQ(resultAt, TimePoint{1s});
    EXPECT_NE(workerThread, std::this_thread::get_id());
    EXPECT_EQ(executor.backgroundJobCount(), 0u);
}

TEST(ManualExecutor, TakesPostsFromOtherThreads) {
    ManualExecutor executor;
    int runs = 0;
    bool currentOnPoster = true;
    std::thread poster([&] {
        currentOnPoster = executor.isCurrent();
        for (int i = 0; i < 100; ++i) {
            executor.post([&] { ++runs; });
        }
    });
    poster.join();
    EXPECT_FALSE(currentOnPoster);
    EXPECT_TRUE(executor.isCurrent());
    executor.runUntilIdle();
    EXPECT_EQ(runs, 100);
}

TEST(ManualExecutor, DestroysQueuedJobsAndTimersWithoutRunningThem) {
    auto alive = std::make_shared<int>(0);
    bool ran = false;
    {
        ManualExecutor executor;
        executor.post([alive, &ran] { ran = true; });
        executor.postAt(TimePoint{1h}, [alive, &ran] { ran = true; });
        EXPECT_EQ(alive.use_count(), 3);
    }
    EXPECT_FALSE(ran);
    EXPECT_EQ(alive.use_count(), 1);
}

}  // namespace
}  // namespace stowbar
