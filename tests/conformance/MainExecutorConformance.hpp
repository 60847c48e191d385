#pragma once

// One suite for every MainExecutor: the order, cancellation, threading and lifetime promised by
// runtime/MainExecutor.hpp, checked the same way on every implementation.
//
// Its harness has
//     MainExecutor& executor();
//     bool runUntil(const std::function<bool()>& done);  // turns the loop until `done` holds
// An executor that belongs to an Application (the real event loops) needs no harness of its
// own: ApplicationLoopHarness below drives it through the Application port.
// Each test calls runUntil at most once, so a loop that can run only once per object will do.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/Application.hpp"
#include "runtime/MainExecutor.hpp"

namespace stowbar::conformance {

using namespace std::chrono_literals;

// Drives the executor of a real event loop: runs the loop, looks at `done` every millisecond
// of the loop's own clock, and ends the loop once it holds or ten seconds have gone by.
template <class App>
class ApplicationLoopHarness {
  public:
    MainExecutor& executor() { return application_.mainExecutor(); }

    bool runUntil(const std::function<bool()>& done) {
        Poller poller;
        poller.application = &application_;
        poller.done = &done;
        poller.giveUpAt = executor().clock().now() + 10s;
        application_.run(poller);
        return done();
    }

  private:
    struct Poller final : ApplicationDelegate {
        void applicationDidFinishLaunching() override { poll(); }
        void applicationWillTerminate() override {}
        void poll() {
            MainExecutor& executor = application->mainExecutor();
            const TimePoint now = executor.clock().now();
            if ((*done)() || now >= giveUpAt) {
                application->terminate();
                return;
            }
            executor.postAt(now + 1ms, [this] { poll(); });
        }
        App* application = nullptr;
        const std::function<bool()>* done = nullptr;
        TimePoint giveUpAt{};
    };

    App application_;
};

template <class Harness>
class MainExecutorConformance : public ::testing::Test {
  protected:
    MainExecutor& executor() { return harness_->executor(); }
    bool runUntil(const std::function<bool()>& done) { return harness_->runUntil(done); }
    void destroyExecutor() { harness_.reset(); }

  private:
    std::optional<Harness> harness_{std::in_place};
};

TYPED_TEST_SUITE_P(MainExecutorConformance);

TYPED_TEST_P(MainExecutorConformance, RunsJobsByDeadlineThenInQueueOrderWithAPostDueNow) {
    MainExecutor& executor = this->executor();
    const TimePoint base = executor.clock().now();
    std::vector<std::string> log;
    TimePoint laterRanAt{};
    const auto record = [&log](const char* name) {
        return [&log, name] {
            log.push_back(name);
        };
    };
    executor.postAt(base + 20ms, [&] {
        laterRanAt = executor.clock().now();
        log.push_back("twenty milliseconds on");
    });
    executor.postAt(base, record("timer due now"));
    executor.post(record("post"));
    executor.postAt(base - 2s, record("two seconds ago"));
    executor.postAt(base - 1s, record("one second ago, first"));
    executor.postAt(base - 1s, record("one second ago, second"));
    ASSERT_TRUE(this->runUntil([&] { return log.size() == 6; }));
    EXPECT_EQ(log, (std::vector<std::string>{"two seconds ago", "one second ago, first",
                                             "one second ago, second", "timer due now", "post",
                                             "twenty milliseconds on"}));
    EXPECT_GE(laterRanAt, base + 20ms) << "a timer never runs before its deadline";
}

TYPED_TEST_P(MainExecutorConformance, NeverRunsAJobInsideTheCallThatQueuedIt) {
    MainExecutor& executor = this->executor();
    bool queueing = false;
    int ran = 0;
    int ranInside = 0;
    const auto job = [&] {
        ++ran;
        ranInside += queueing ? 1 : 0;
    };
    executor.post([&] {
        queueing = true;
        executor.post(job);
        executor.postAt(executor.clock().now(), job);
        executor.postAt(executor.clock().now() - 1s, job);
        queueing = false;
    });
    ASSERT_TRUE(this->runUntil([&] { return ran == 3; }));
    EXPECT_EQ(ranInside, 0);
}

TYPED_TEST_P(MainExecutorConformance,
             CancelledJobsNeverRunAndCancellingAgainLateOrNothingIsHarmless) {
    MainExecutor& executor = this->executor();
    const TimePoint base = executor.clock().now();
    std::vector<std::string> log;
    const TimerId kept = executor.postAt(base, [&] { log.push_back("kept"); });
    const TimerId dropped = executor.postAt(base, [&] { log.push_back("cancelled before"); });
    executor.cancel(dropped);
    executor.cancel(dropped);
    executor.cancel(TimerId{});
    // Both are due when the loop turns; the first one cancels the second.
    TimerId victim;
    executor.postAt(base - 1s, [&] { executor.cancel(victim); });
    victim = executor.postAt(base - 1s, [&] { log.push_back("cancelled by an earlier job"); });
    executor.postAt(base + 5ms, [&] {
        executor.cancel(kept);  // already ran
        executor.cancel(victim);
        log.push_back("done");
    });
    ASSERT_TRUE(this->runUntil([&] { return !log.empty() && log.back() == "done"; }));
    EXPECT_EQ(log, (std::vector<std::string>{"kept", "done"}));
}

TYPED_TEST_P(MainExecutorConformance, TakesPostsFromOtherThreadsAndRunsThemInOrderOnTheMainThread) {
    MainExecutor& executor = this->executor();
    std::vector<int> ran;
    bool allOnMain = true;
    std::atomic<bool> currentOnPoster{true};
    executor.post([&] {
        std::thread([&] {
            currentOnPoster = executor.isCurrent();
            for (int i = 0; i < 100; ++i) {
                executor.post([&, i] {
                    allOnMain = allOnMain && executor.isCurrent();
                    ran.push_back(i);
                });
            }
        }).join();
    });
    ASSERT_TRUE(this->runUntil([&] { return ran.size() == 100; }));
    EXPECT_FALSE(currentOnPoster);
    EXPECT_TRUE(allOnMain);
    EXPECT_TRUE(std::is_sorted(ran.begin(), ran.end()));
}

TYPED_TEST_P(MainExecutorConformance, RunsBackgroundWorkOffTheMainThreadAndItsResultOnIt) {
    MainExecutor& executor = this->executor();
    std::atomic<bool> workOnMain{true};
    std::optional<bool> doneOnMain;
    executor.post([&] {
        executor.startBackgroundJob([&] { workOnMain = executor.isCurrent(); },
                                    [&] { doneOnMain = executor.isCurrent(); });
    });
    ASSERT_TRUE(this->runUntil([&] { return doneOnMain.has_value(); }));
    EXPECT_FALSE(workOnMain);
    EXPECT_TRUE(*doneOnMain);
}

TYPED_TEST_P(MainExecutorConformance, DestroysQueuedJobsWithoutRunningThem) {
    MainExecutor& executor = this->executor();
    auto alive = std::make_shared<int>(0);
    bool ran = false;
    executor.post([alive, &ran] { ran = true; });
    executor.postAt(executor.clock().now() + 1h, [alive, &ran] { ran = true; });
    this->destroyExecutor();
    EXPECT_FALSE(ran);
    EXPECT_EQ(alive.use_count(), 1);
}

TYPED_TEST_P(MainExecutorConformance, StopsTheProgramWhenMainThreadCallsComeFromAnotherThread) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    MainExecutor& executor = this->executor();
    const auto offMain = [&executor](const std::function<void(MainExecutor&)>& call) {
        std::thread([&] { call(executor); }).join();
    };
    EXPECT_DEATH(offMain([](MainExecutor& e) { e.postAt(e.clock().now(), [] {}); }), "main thread");
    EXPECT_DEATH(offMain([](MainExecutor& e) { e.cancel(TimerId{1}); }), "main thread");
    EXPECT_DEATH(offMain([](MainExecutor& e) { e.startBackgroundJob([] {}, [] {}); }),
                 "main thread");
}

REGISTER_TYPED_TEST_SUITE_P(MainExecutorConformance,
                            RunsJobsByDeadlineThenInQueueOrderWithAPostDueNow,
                            NeverRunsAJobInsideTheCallThatQueuedIt,
                            CancelledJobsNeverRunAndCancellingAgainLateOrNothingIsHarmless,
                            TakesPostsFromOtherThreadsAndRunsThemInOrderOnTheMainThread,
                            RunsBackgroundWorkOffTheMainThreadAndItsResultOnIt,
                            DestroysQueuedJobsWithoutRunningThem,
                            StopsTheProgramWhenMainThreadCallsComeFromAnotherThread);

}  // namespace stowbar::conformance
