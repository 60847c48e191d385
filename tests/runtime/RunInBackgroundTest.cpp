#include "runtime/RunInBackground.hpp"

#include <gtest/gtest.h>

#include <future>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <utility>

#include "runtime/ManualExecutor.hpp"
#include "runtime/Spawn.hpp"
#include "runtime/Task.hpp"

namespace stowbar {
namespace {

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
