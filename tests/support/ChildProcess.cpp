#include "support/ChildProcess.hpp"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <array>
#include <fstream>
#include <sstream>

namespace stowbar::test {

std::string readWholeFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

ProcessOutcome runProgram(const std::string& program, const TemporaryDirectory& home,
                          std::vector<std::string> arguments,
                          const std::function<void(pid_t)>& whileRunning) {
    const auto outPath = home.path() / "stdout";
    const auto errPath = home.path() / "stderr";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    arguments.insert(arguments.begin(), program);
    std::vector<char*> argv;
    argv.reserve(arguments.size() + 1);
    for (auto& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    std::string homeVariable = "HOME=" + home.path().string();
    std::array<char*, 2> environment{homeVariable.data(), nullptr};

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
