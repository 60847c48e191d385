#include "support/Golden.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <ios>
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

}  // namespace stowbar::test
