// End-to-end checks of the built program: exit status, standard error, signals.

#include <signal.h>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "support/ChildProcess.hpp"

namespace stowbar {
namespace {

// Runs the program with HOME pointing at `home`; when `signal` is not 0, sends it once the
// program has routed it to its event loop. The program writes nothing before that, so the
// test watches the blocked-signal mask in /proc: the one place a short real wait is needed.
test::ProcessOutcome runStowbar(const test::TemporaryDirectory& home,
                                std::vector<std::string> arguments, int signal = 0) {
    return test::runProgram(STOWBAR_EXECUTABLE, home, std::move(arguments), [signal](pid_t child) {
        if (signal == 0) {
            return;
        }
        // The program blocks SIGTERM and SIGINT first thing; once /proc shows them blocked
        // they are routed to its loop.
        const auto statusPath = "/proc/" + std::to_string(child) + "/status";
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (std::chrono::steady_clock::now() < deadline) {
            const auto status = test::readWholeFile(statusPath);
            const auto at = status.find("SigBlk:\t");
            if (at != std::string::npos &&
                (std::stoull(status.substr(at + 8, 16), nullptr, 16) & (1ull << (SIGTERM - 1)))) {
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        kill(child, signal);
    });
}

TEST(StowbarExecutable, DiagnoseExitsWithZeroAndWritesNothingToStandardError) {
    test::TemporaryDirectory home;
    const auto outcome = runStowbar(home, {"--diagnose"});
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.err, "");
    EXPECT_EQ(outcome.out.rfind("=== Stowbar diagnostics ===\nmacOS 0.0.0\n\n", 0), 0u);
    EXPECT_NE(outcome.out.find("path: " + home.path().string() + "/Library/Group Containers/"),
              std::string::npos)
        << "the report follows HOME";
}

TEST(StowbarExecutable, TerminationSignalsEndTheApplicationCleanlyWithStatusZero) {
    for (const int signal : {SIGTERM, SIGINT}) {
        test::TemporaryDirectory home;
        const auto outcome = runStowbar(home, {}, signal);
        EXPECT_EQ(outcome.status, 0) << strsignal(signal);
        EXPECT_EQ(outcome.out, "");
        EXPECT_EQ(outcome.err, "") << "nothing is logged, not even Qt's notes";
    }
}

}  // namespace
}  // namespace stowbar
