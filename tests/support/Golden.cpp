#include "support/Golden.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <ios>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "support/ChildProcess.hpp"

namespace stowbar::test {

void expectGolden(const std::string& name, std::string actual,
                  const std::vector<std::pair<std::string, std::string>>& placeholders) {
    for (const auto& [value, placeholder] : placeholders) {
        for (auto at = actual.find(value); !value.empty() && at != std::string::npos;
             at = actual.find(value, at + placeholder.size())) {
            actual.replace(at, value.size(), placeholder);
        }
    }
    const std::string path = std::string(STOWBAR_GOLDEN_DIR "/") + name;
    const char* update = std::getenv("STOWBAR_UPDATE_GOLDEN");
    if (update != nullptr && std::string_view(update) == "1") {
        std::ofstream(path, std::ios::binary) << actual;
        return;
    }
    EXPECT_EQ(actual, readWholeFile(path))
        << "golden file " << path << "; STOWBAR_UPDATE_GOLDEN=1 rewrites it";
}

void expectGoldenTable(const std::string& name,
                       const std::function<std::string(const std::string& input)>& answer) {
    std::istringstream table(readWholeFile(std::string(STOWBAR_GOLDEN_DIR "/") + name));
    std::string rebuilt;
    int inputs = 0;
    for (std::string line; std::getline(table, line);) {
        if (line.starts_with("=> ")) {
            continue;
        }
        rebuilt += line + "\n";
        if (line.empty() || line.starts_with("#")) {
            continue;
        }
        ++inputs;
        std::istringstream result(answer(line));
        for (std::string resultLine; std::getline(result, resultLine);) {
            rebuilt += "=> " + resultLine + "\n";
        }
    }
    EXPECT_GT(inputs, 0) << "no inputs in golden file " << name;
    expectGolden(name, rebuilt);
}

}  // namespace stowbar::test
