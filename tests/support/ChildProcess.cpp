#include "support/ChildProcess.hpp"

#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/types.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <ios>
#include <sstream>
#include <string>
#include <vector>

#include "support/TemporaryDirectory.hpp"

namespace stowbar::test {

std::string readWholeFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

ProcessOutcome runProgram(const std::string& program, const TemporaryDirectory& home,
                          std::vector<std::string> arguments,
                          const std::function<void(pid_t)>& whileRunning,
                          const std::vector<std::string>& variables) {
    const auto outPath = home.path() / "stdout";
    const auto errPath = home.path() / "stderr";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    arguments.insert(arguments.begin(), program);
    // Only HOME, and the sanitizers' settings so that a sanitized child reports as its parent.
    std::vector<std::string> environmentText{"HOME=" + home.path().string()};
    for (const char* name : {"ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS", "TSAN_OPTIONS"}) {
        if (const char* value = std::getenv(name)) {
            environmentText.push_back(std::string(name) + "=" + value);
        }
    }
    environmentText.insert(environmentText.end(), variables.begin(), variables.end());
    // The null-terminated arrays of C strings that posix_spawn takes.
    const auto pointers = [](std::vector<std::string>& strings) {
        std::vector<char*> result;
        for (auto& string : strings) {
            result.push_back(string.data());
        }
        result.push_back(nullptr);
        return result;
    };
    auto argv = pointers(arguments);
    auto environment = pointers(environmentText);

    ProcessOutcome outcome;
    pid_t child = 0;
    const int spawned =
        posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), environment.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        return outcome;
    }
    if (whileRunning) {
        whileRunning(child);
    }
    int status = 0;
    waitpid(child, &status, 0);
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    outcome.out = readWholeFile(outPath);
    outcome.err = readWholeFile(errPath);
    return outcome;
}

}  // namespace stowbar::test
