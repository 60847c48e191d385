// End-to-end checks of the built program: exit status, standard error, signals.

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include "support/TemporaryDirectory.hpp"

extern char** environ;

namespace stowbar {
namespace {

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

std::string slurp(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Runs the program with HOME pointing at `home`; when `signal` is not 0, sends it once the
// program has routed it to its event loop. The program writes nothing before that, so the
// test watches the blocked-signal mask in /proc: the one place a short real wait is needed.
Outcome runStowbar(const test::TemporaryDirectory& home, std::vector<std::string> arguments,
                   int signal = 0) {
    const auto outPath = home.path() / "stdout";
    const auto errPath = home.path() / "stderr";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);

    arguments.insert(arguments.begin(), STOWBAR_EXECUTABLE);
    std::vector<char*> argv;
    for (auto& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    std::string homeVariable = "HOME=" + home.path().string();
    std::array<char*, 2> environment{homeVariable.data(), nullptr};

    pid_t child = 0;
    Outcome outcome;
    if (posix_spawn(&child, STOWBAR_EXECUTABLE, &actions, nullptr, argv.data(),
                    environment.data()) != 0) {
        return outcome;
    }
    posix_spawn_file_actions_destroy(&actions);
    if (signal != 0) {
        // The program blocks SIGTERM and SIGINT first thing; once /proc shows them blocked
        // they are routed to its loop.
        const auto statusPath = "/proc/" + std::to_string(child) + "/status";
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (std::chrono::steady_clock::now() < deadline) {
            const auto status = slurp(statusPath);
            const auto at = status.find("SigBlk:\t");
            if (at != std::string::npos &&
                (std::stoull(status.substr(at + 8, 16), nullptr, 16) & (1ull << (SIGTERM - 1)))) {
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        kill(child, signal);
    }
    int status = 0;
    waitpid(child, &status, 0);
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    outcome.out = slurp(outPath);
    outcome.err = slurp(errPath);
    return outcome;
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
    }
}

}  // namespace
}  // namespace stowbar
