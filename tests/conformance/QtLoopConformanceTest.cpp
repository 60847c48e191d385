// The conformance suites, run for the Qt event loop of the Linux program.

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "adapters/qt/QtApplication.hpp"
#include "conformance/ApplicationConformance.hpp"
#include "conformance/MainExecutorConformance.hpp"

extern char** environ;

namespace stowbar::conformance {
namespace {

INSTANTIATE_TYPED_TEST_SUITE_P(Qt, MainExecutorConformance,
                               ::testing::Types<ApplicationLoopHarness<QtApplication>>);
INSTANTIATE_TYPED_TEST_SUITE_P(Qt, ApplicationConformance,
                               ::testing::Types<OwnedApplication<QtApplication>>);

// The ports a background job uses are destroyed as soon as run() returns, so a scan or a press
// still out when the loop ends must have ended by then.
TEST(QtLoop, RunReturnsOnlyOnceTheBackgroundJobsStillOutHaveEnded) {
    QtApplication application;
    LoggingDelegate delegate;
    std::vector<std::string> log;
    delegate.log = &log;
    std::atomic<bool> ended{false};
    delegate.launched = [&] {
        application.startBackgroundJob(
            [&ended] {
                // Long enough to be still out when the loop ends, on any machine.
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
                ended = true;
            },
            [] {});
        application.terminate();
    };
    application.run(delegate);
    EXPECT_TRUE(ended);
}

#ifdef __linux__
// The blocked-signal mask of a process started now from the calling thread, as the kernel
// shows it in /proc; empty when it could not be started.
std::string maskOfANewProcess() {
    char program[] = "/bin/sleep";
    char seconds[] = "30";
    char* arguments[] = {program, seconds, nullptr};
    pid_t child = 0;
    if (posix_spawn(&child, program, nullptr, nullptr, arguments, environ) != 0) {
        return {};
    }
    // posix_spawn returns once the child runs the new program, so /proc shows its mask.
    std::ifstream in("/proc/" + std::to_string(child) + "/status");
    std::ostringstream text;
    text << in.rdbuf();
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    const std::string status = text.str();
    const auto at = status.find("SigBlk:\t");
    return at == std::string::npos ? std::string() : status.substr(at + 8, 16);
}

TEST(QtLoop, ProcessesStartedOnTheLoopOrAnotherThreadGetTheMaskTheProgramStartedWith) {
    const std::string before = maskOfANewProcess();
    ASSERT_FALSE(before.empty());
    QtApplication application;
    std::vector<std::string> masks;
    LoggingDelegate delegate;
    std::vector<std::string> log;
    delegate.log = &log;
    delegate.launched = [&] {
        masks.push_back(maskOfANewProcess());
        // A thread started meanwhile (Qt's, a library's) has the mask of the thread that
        // started it.
        std::string fromThread;
        std::thread([&fromThread] { fromThread = maskOfANewProcess(); }).join();
        masks.push_back(fromThread);
        application.terminate();
    };
    application.run(delegate);
    EXPECT_EQ(masks, (std::vector<std::string>{before, before}))
        << "from the main thread, then from another";
}
#endif

}  // namespace
}  // namespace stowbar::conformance
