#include "runtime/Clock.hpp"
#include "runtime/SleepFor.hpp"

#include <gtest/gtest.h>

#include <optional>

#include "runtime/ManualExecutor.hpp"
#include "runtime/Spawn.hpp"
#include "runtime/Task.hpp"

namespace stowbar {
namespace {

using namespace std::chrono_literals;

struct SleepLog {
    std::optional<bool> slept;
    TimePoint wokeAt{};
    bool cancelledAfter = false;
};

Task<void> sleepAndLog(SleepLog* log, Duration duration) {
    log->slept = co_await sleepFor(duration);
    log->wokeAt = (co_await currentExecutor()).clock().now();
}

// The sleep is for ever: its deadline saturates rather than wrapping round into the past.
TEST(SleepFor, CancelledBeforeOrWhileSleepingEndsEarlyOnALaterTurnAndReportsFalse) {
    ManualExecutor executor(TimePoint{1s});
    SleepLog log;
    TaskHandle handle = spawn(executor, sleepAndLog(&log, Duration::max()));
    executor.advanceBy(5s);
    EXPECT_FALSE(log.slept.has_value());
    handle.cancel();
    // The early resume is posted, not run inside cancel().
    EXPECT_FALSE(log.slept.has_value());
    EXPECT_EQ(executor.pendingCount(), 1u);
    executor.runUntilIdle();
    EXPECT_EQ(log.slept, false);
    EXPECT_EQ(log.wokeAt, TimePoint{6s});
    EXPECT_TRUE(handle.isFinished());
    // The timer went with the cancellation.
    EXPECT_EQ(executor.pendingCount(), 0u);
    executor.advanceBy(1h);
    EXPECT_EQ(log.wokeAt, TimePoint{6s});

    // Cancelled before the sleep begins, it returns false without waiting.
    SleepLog early;
    handle = spawn(executor, sleepAndLog(&early, 12s));
    handle.cancel();
    executor.runUntilIdle();
    EXPECT_EQ(early.slept, false);
    EXPECT_EQ(early.wokeAt, executor.now());
    EXPECT_TRUE(handle.isFinished());
}

Task<void> sleepThenWait(SleepLog* log, TaskHandle* self) {
    log->slept = co_await sleepFor(1s);
    // Another job cancels this task before it reaches its next sleep.
    co_await sleepFor(1s);
    log->cancelledAfter = self->isCancelled();
}

TEST(SleepFor, CancelledAfterTheSleepFiredStillReportsAFullSleep) {
    ManualExecutor executor;
    SleepLog log;
    TaskHandle handle;
    handle = spawn(executor, sleepThenWait(&log, &handle));
    executor.advanceBy(1s);
    handle.cancel();
    executor.runUntilIdle();
    EXPECT_EQ(log.slept, true);
    EXPECT_TRUE(log.cancelledAfter);
    EXPECT_EQ(executor.now(), TimePoint{1s});
}

}  // namespace
}  // namespace stowbar
