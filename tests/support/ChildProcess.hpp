#pragma once

#include <sys/types.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "support/TemporaryDirectory.hpp"

namespace stowbar::test {

struct ProcessOutcome {
    // The exit status, or 128 + the signal that ended it; -1 when it could not be started.
    int status = -1;
    std::string out;
    std::string err;
};

// Runs `program` with `arguments`, HOME pointing at `home` and nothing else in its environment
// but the sanitizers' settings and `variables` ("NAME=value"), and waits for it. Its standard
// output and error go to files in `home`. `whileRunning`, when given, is called with the child's
// pid right after it started.
ProcessOutcome runProgram(const std::string& program, const TemporaryDirectory& home,
                          std::vector<std::string> arguments,
                          const std::function<void(pid_t)>& whileRunning = {},
                          const std::vector<std::string>& variables = {});

std::string readWholeFile(const std::filesystem::path& path);

}  // namespace stowbar::test
