#include "runtime/Task.hpp"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>

#include "runtime/ManualExecutor.hpp"
#include "runtime/SleepFor.hpp"
#include "runtime/Spawn.hpp"

namespace stowbar {
namespace {

using namespace std::chrono_literals;

Task<int> doubled(int value) {
    co_await sleepFor(1s);
    co_return value * 2;
}

Task<std::unique_ptr<std::string>> named(std::string name) {
    co_return std::make_unique<std::string>(std::move(name));
}

Task<int> sumOfDoubles(int a, int b) {
    const int first = co_await doubled(a);
    const int second = co_await doubled(b);
    co_return first + second;
}

Task<void> record(std::string* log, int a, int b) {
    *log += std::to_string(co_await sumOfDoubles(a, b));
    *log += *co_await named("!");
}

TEST(Task, NestedTasksReturnTheirValuesToTheAwaitingTask) {
    ManualExecutor executor;
    std::string log;
    const TaskHandle handle = spawn(executor, record(&log, 2, 3));
    // Spawning never starts the task inline: what is queued is its start, not its first sleep.
    EXPECT_EQ(executor.nextDeadline(), executor.now());
    executor.advanceBy(2s - 1ns);
    EXPECT_EQ(log, "");
    EXPECT_FALSE(handle.isFinished());
    executor.advanceBy(1ns);
    EXPECT_EQ(log, "10!");
    EXPECT_TRUE(handle.isFinished());
}

// Counts how many of its kind are alive, to see that coroutine frames are destroyed.
struct Tracked {
    explicit Tracked(int* alive) : alive_(alive) { ++*alive_; }
    Tracked(const Tracked&) = delete;
    Tracked& operator=(const Tracked&) = delete;
    ~Tracked() { --*alive_; }
    int* alive_;
};

Task<void> sleepForever(int* alive) {
    const Tracked tracked(alive);
    co_await sleepFor(Duration::max());
}

Task<void> holdChildAsleep(int* alive) {
    const Tracked tracked(alive);
    co_await sleepForever(alive);
}

TEST(Task, ExecutorDestructionOrDroppingDestroysSuspendedAndUnstartedFrames) {
    int alive = 0;
    TaskHandle sleeping;
    TaskHandle unstarted;
    {
        ManualExecutor executor;
        sleeping = spawn(executor, holdChildAsleep(&alive));
        executor.runUntilIdle();
        EXPECT_EQ(alive, 2);
        unstarted = spawn(executor, holdChildAsleep(&alive));
    }
    EXPECT_EQ(alive, 0);
    EXPECT_FALSE(sleeping.isFinished());
    EXPECT_FALSE(unstarted.isFinished());
    sleeping.cancel();  // the executor is gone; this must do nothing harmful

    // A task never spawned nor awaited is destroyed without running.
    { const Task<void> task = sleepForever(&alive); }
    EXPECT_EQ(alive, 0);
}

}  // namespace
}  // namespace stowbar
