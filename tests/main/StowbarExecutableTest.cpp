// End-to-end checks of the built program: exit status, standard error, signals.

#include <signal.h>

#include <gtest/gtest.h>
#include <string.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "support/ChildProcess.hpp"
#include "support/TemporaryDirectory.hpp"

namespace stowbar {
namespace {

// Looks at `done` every millisecond until it holds, for at most 20 seconds.
void waitUntil(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < deadline && !done()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

// One of the signal masks in the text of /proc/PID/status ("SigBlk", "SigCgt"); 0 when absent.
unsigned long long signalMask(const std::string& status, const std::string& name) {
    const auto at = status.find(name + ":\t");
    return at == std::string::npos
               ? 0
               : std::stoull(status.substr(at + name.size() + 2, 16), nullptr, 16);
}

// Runs the program with HOME pointing at `home`; when `signal` is not 0, sends it once the
// program has routed it to its event loop and holds its instance lock, after `meanwhile`. The
// program writes nothing before that, so the test watches the caught-signal mask and the lock
// table in /proc: the one place a short real wait is needed.
test::ProcessOutcome runStowbar(const test::TemporaryDirectory& home,
                                std::vector<std::string> arguments, int signal = 0,
                                const std::function<void()>& meanwhile = {}) {
    return test::runProgram(STOWBAR_EXECUTABLE, home, std::move(arguments), [=](pid_t child) {
        if (signal == 0) {
            return;
        }
        // The program catches SIGTERM and SIGINT first thing; once /proc shows them caught
        // they are routed to its loop.
        const auto statusPath = "/proc/" + std::to_string(child) + "/status";
        waitUntil([&] {
            return (signalMask(test::readWholeFile(statusPath), "SigCgt") &
                    (1ULL << (SIGTERM - 1))) != 0;
        });
        // Then until /proc/locks shows a lock of its: it holds its instance lock.
        std::string held(1, ' ');  // built so, as GCC 12 takes " " + ... for an overlapping copy
        held.append(std::to_string(child)).push_back(' ');
        waitUntil(
            [&] { return test::readWholeFile("/proc/locks").find(held) != std::string::npos; });
        if (meanwhile) {
            meanwhile();
        }
        kill(child, signal);
    });
}

TEST(StowbarExecutable, TerminationSignalsEndTheApplicationCleanlyWithStatusZero) {
    for (const int signal : {SIGTERM, SIGINT}) {
        test::TemporaryDirectory home;
        const auto outcome = runStowbar(home, {}, signal);
        EXPECT_EQ(outcome.status, 0) << strsignal(signal);
        EXPECT_EQ(outcome.out + outcome.err, "") << "nothing is written, not even Qt's notes";
    }
}

TEST(StowbarExecutable, ASecondInstanceEndsAtOnceWithZeroAndLeavesTheFirstRunning) {
    // Two homes share one cache directory, so both starts look for the same lock while each
    // writes its output to its own home.
    test::TemporaryDirectory first;
    test::TemporaryDirectory second;
    std::filesystem::create_directories(first.path() / ".cache");
    std::filesystem::create_directory_symlink(first.path() / ".cache", second.path() / ".cache");
    std::optional<test::ProcessOutcome> secondStart;
    std::optional<test::ProcessOutcome> report;
    const auto outcome = runStowbar(first, {}, SIGTERM, [&] {
        // One that ran on instead of ending is stopped, so that the test fails, not hangs.
        secondStart = test::runProgram(STOWBAR_EXECUTABLE, second, {}, [](pid_t child) {
            const auto stat = "/proc/" + std::to_string(child) + "/stat";
            waitUntil([&] { return test::readWholeFile(stat).find(") Z ") != std::string::npos; });
            kill(child, SIGKILL);
        });
        report = runStowbar(second, {"--diagnose"});
    });
    ASSERT_TRUE(secondStart.has_value());
    EXPECT_EQ(secondStart->status, 0);
    EXPECT_EQ(secondStart->out + secondStart->err, "");
    ASSERT_TRUE(report.has_value());
    EXPECT_EQ(report->status, 0);
    EXPECT_EQ(report->err, "");
    EXPECT_EQ(report->out.rfind("=== Stowbar diagnostics ===\nmacOS 0.0.0\n\n", 0), 0u)
        << "never refused";
    EXPECT_NE(report->out.find("path: " + second.path().string() + "/Library/Group Containers/"),
              std::string::npos)
        << "the report follows HOME";
    EXPECT_EQ(outcome.status, 0) << "the first ran on until it was told to end";
    EXPECT_EQ(outcome.err, "");
}

TEST(StowbarExecutable, AnUnreachableDisplayEndsTheStartWithOneLineNamingIt) {
    test::TemporaryDirectory home;
    const auto outcome = test::runProgram(STOWBAR_EXECUTABLE, home, {}, {}, {"DISPLAY=:99xyz"});
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.err, "stowbar: cannot connect to display :99xyz\n");
    EXPECT_EQ(outcome.out, "");
}

TEST(StowbarExecutable, WithoutAPlaceForItsLockTheApplicationSaysSoAndRunsOn) {
    // The runtime directory named is a file: no lock can be made under it.
    test::TemporaryDirectory home;
    home.write("runtime", {});
    const auto lock = (home.path() / "runtime" / "stowbar.lock").string();
    const auto outcome =
        test::runProgram(STOWBAR_EXECUTABLE, home, {},
                         [&](pid_t child) {
                             // It has said so and listens for the end.
                             const auto status = "/proc/" + std::to_string(child) + "/status";
                             waitUntil([&] {
                                 return !test::readWholeFile(home.path() / "stderr").empty() &&
                                        (signalMask(test::readWholeFile(status), "SigCgt") &
                                         (1ULL << (SIGTERM - 1))) != 0;
                             });
                             kill(child, SIGTERM);
                         },
                         {"XDG_RUNTIME_DIR=" + (home.path() / "runtime").string()});
    EXPECT_EQ(outcome.status, 0) << "it ran until told to end";
    EXPECT_EQ(outcome.err, "stowbar: cannot lock out a second instance (" + lock +
                               ": Not a directory); running without the lock\n");
}

}  // namespace
}  // namespace stowbar
