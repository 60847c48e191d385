#include "adapters/qt/QtApplication.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace stowbar {
namespace {

using namespace std::chrono_literals;

// Runs `launched` inside the real loop, which ends when the test calls terminate().
struct ScriptedDelegate final : ApplicationDelegate {
    std::function<void()> launched;
    std::vector<std::string> log;
    void applicationDidFinishLaunching() override {
        log.push_back("launch");
        launched();
    }
    void applicationWillTerminate() override { log.push_back("terminate"); }
};

TEST(QtApplication,
     RunsTimersByDeadlineDropsCancelledOnesAndBringsBackgroundResultsToTheMainThread) {
    QtApplication application;
    MainExecutor& executor = application.mainExecutor();
    ScriptedDelegate delegate;
    std::atomic<bool> workedOffMain{false};
    delegate.launched = [&] {
        const auto now = executor.clock().now();
        executor.postAt(now + 30ms, [&] {
            delegate.log.push_back("30ms");
            application.terminate();
        });
        executor.postAt(now + 10ms, [&] { delegate.log.push_back("10ms"); });
        const auto dropped =
            executor.postAt(now + 20ms, [&] { delegate.log.push_back("dropped"); });
        executor.cancel(dropped);
        executor.cancel(dropped);  // twice is harmless
        executor.startBackgroundJob([&] { workedOffMain = !executor.isCurrent(); },
                                    [&] {
                                        EXPECT_TRUE(executor.isCurrent());
                                        delegate.log.push_back("background done");
                                    });
        // A post from another thread reaches the loop too.
        std::thread([&] { executor.post([&] { delegate.log.push_back("posted"); }); }).join();
    };
    application.run(delegate);
    EXPECT_TRUE(workedOffMain);
    // The background job and the cross-thread post finish well before 10 ms in any sane run,
    // but their order against each other is not promised, so only the timers' order is checked.
    std::vector<std::string> timers;
    for (const auto& entry : delegate.log) {
        if (entry == "10ms" || entry == "30ms" || entry == "dropped") {
            timers.push_back(entry);
        }
    }
    EXPECT_EQ(timers, (std::vector<std::string>{"10ms", "30ms"}));
    EXPECT_EQ(delegate.log.front(), "launch");
    EXPECT_EQ(delegate.log.back(), "terminate");
    EXPECT_NE(std::find(delegate.log.begin(), delegate.log.end(), "posted"), delegate.log.end());
    EXPECT_NE(std::find(delegate.log.begin(), delegate.log.end(), "background done"),
              delegate.log.end());
}

TEST(QtApplication, ATerminationRequestedBeforeRunStillLaunchesThenEndsThroughTheNormalPath) {
    QtApplication application;
    ScriptedDelegate delegate;
    delegate.launched = [] {
    };
    application.terminate();
    application.run(delegate);
    EXPECT_EQ(delegate.log, (std::vector<std::string>{"launch", "terminate"}));
}

}  // namespace
}  // namespace stowbar
