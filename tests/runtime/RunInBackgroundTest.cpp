#include "runtime/RunInBackground.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "runtime/ManualExecutor.hpp"
#include "runtime/Spawn.hpp"
#include "runtime/Task.hpp"

namespace stowbar {
namespace {

struct ScanLog {
    std::optional<std::vector<int>> result;
    std::thread::id workerThread;
    bool resumedOnMain = false;
    std::atomic<bool> voidJobRan = false;
};

std::vector<int> countUpTo(int limit, std::thread::id* ranOn) {
    *ranOn = std::this_thread::get_id();
    std::vector<int> numbers;
    for (int i = 1; i <= limit; ++i) {
        numbers.push_back(i);
    }
    return numbers;
}

Task<void> scan(ScanLog* log, int limit) {
    std::vector<int> numbers = co_await runInBackground(countUpTo, limit, &log->workerThread);
    log->resumedOnMain = (co_await currentExecutor()).isCurrent();
    log->result = std::move(numbers);
    // A job that returns nothing is awaited alike.
    co_await runInBackground([log] { log->voidJobRan = true; });
}

TEST(RunInBackground, RunsOnAWorkerAndDeliversTheResultOnTheMainExecutor) {
    ManualExecutor executor;
    ScanLog log;
    const TaskHandle handle = spawn(executor, scan(&log, 3));
    executor.runUntilIdle();
    EXPECT_EQ(log.result, (std::vector{1, 2, 3}));
    EXPECT_NE(log.workerThread, std::this_thread::get_id());
    EXPECT_TRUE(log.resumedOnMain);
    EXPECT_TRUE(log.voidJobRan);
    EXPECT_TRUE(handle.isFinished());
}

std::string waitFor(const std::shared_future<void>& gate, std::string text) {
    gate.wait();
    return text;
}

Task<void> fetchAndCheckStop(std::optional<std::string>* out, bool* cancelledWhenResumed,
                             std::shared_future<void> gate) {
    *out = co_await runInBackground(waitFor, std::move(gate), std::string("found"));
    *cancelledWhenResumed = (co_await currentStopToken()).stop_requested();
}

TEST(RunInBackground, IsNotCancelledWithTheAwaitingTask) {
    ManualExecutor executor;
    std::promise<void> gate;
    std::optional<std::string> out;
    bool cancelledWhenResumed = false;
    TaskHandle handle =
        spawn(executor, fetchAndCheckStop(&out, &cancelledWhenResumed, gate.get_future().share()));
    executor.runDue();
    handle.cancel();
    gate.set_value();
    executor.runUntilIdle();
    EXPECT_EQ(out, "found");
    EXPECT_TRUE(cancelledWhenResumed);
    EXPECT_TRUE(handle.isFinished());
}

Task<void> fetchForever(std::optional<std::string>* out, std::shared_future<void> gate,
                        std::shared_ptr<int> frameLocal) {
    *out = co_await runInBackground(waitFor, std::move(gate), std::string("late"));
    ++*frameLocal;
}

TEST(RunInBackground, ExecutorDestructionWaitsForTheWorkerAndDropsTheResult) {
    std::optional<std::string> out;
    auto frameLocal = std::make_shared<int>(0);
    std::promise<void> gate;
    std::thread opener;
    {
        ManualExecutor executor;
        spawn(executor, fetchForever(&out, gate.get_future().share(), frameLocal));
        executor.runDue();
        EXPECT_EQ(frameLocal.use_count(), 2);
        // Let the worker go only while the executor is being destroyed.
        opener = std::thread([&gate] { gate.set_value(); });
    }
    opener.join();
    EXPECT_FALSE(out.has_value());
    EXPECT_EQ(*frameLocal, 0);
    EXPECT_EQ(frameLocal.use_count(), 1);
}

}  // namespace
}  // namespace stowbar
