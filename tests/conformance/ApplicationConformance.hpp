#pragma once

// One suite for every Application (event loop): the launch and termination promised by
// platform/Application.hpp.
//
// Its harness has `Application& application();`, a fresh loop.
// A loop that is default-constructible needs no harness of its own: use OwnedApplication.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/Application.hpp"

namespace stowbar::conformance {

template <class App>
class OwnedApplication {
  public:
    Application& application() { return application_; }

  private:
    App application_;
};

// Logs what the loop tells it; `launched` runs inside the launch.
struct LoggingDelegate final : ApplicationDelegate {
    std::vector<std::string>* log = nullptr;
    std::function<void()> launched;
    void applicationDidFinishLaunching() override {
        log->push_back("launch");
        if (launched) {
            launched();
        }
    }
    void applicationWillTerminate() override { log->push_back("will terminate"); }
};

template <class Harness>
class ApplicationConformance : public ::testing::Test {
  protected:
    Application& application() { return harness_.application(); }

  private:
    Harness harness_;
};

TYPED_TEST_SUITE_P(ApplicationConformance);

TYPED_TEST_P(ApplicationConformance,
             LaunchesOnATurnOfTheLoopThenRunsUntilTerminateAndSaysGoodbyeOnce) {
    Application& application = this->application();
    MainExecutor& executor = application.mainExecutor();
    std::vector<std::string> log;
    executor.post([&] { log.push_back("posted before run"); });
    LoggingDelegate delegate;
    delegate.log = &log;
    delegate.launched = [&] {
        log.push_back(executor.isCurrent() ? "on the main thread" : "off the main thread");
        executor.post([&] {
            log.push_back("job queued by the launch");
            application.terminate();
            application.terminate();
        });
    };
    application.run(delegate);
    EXPECT_EQ(log, (std::vector<std::string>{"posted before run", "launch", "on the main thread",
                                             "job queued by the launch", "will terminate"}));
    EXPECT_EQ(&application.mainExecutor(), &executor) << "the executor outlives the run";
}

TYPED_TEST_P(ApplicationConformance, ATerminationRequestedBeforeRunStillLaunchesThenEnds) {
    Application& application = this->application();
    std::vector<std::string> log;
    LoggingDelegate delegate;
    delegate.log = &log;
    application.terminate();
    application.terminate();
    application.run(delegate);
    EXPECT_EQ(log, (std::vector<std::string>{"launch", "will terminate"}));
}

REGISTER_TYPED_TEST_SUITE_P(ApplicationConformance,
                            LaunchesOnATurnOfTheLoopThenRunsUntilTerminateAndSaysGoodbyeOnce,
                            ATerminationRequestedBeforeRunStillLaunchesThenEnds);

}  // namespace stowbar::conformance
