// Scenario files come from outside: any bytes must give either a desktop or one refusal that
// describes itself on one line, within the loader's bounds.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <variant>

#include "sim-main/ScenarioLoader.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto result = stowbar::ScenarioLoader::parse(text);
    if (const auto* error = std::get_if<stowbar::ScenarioError>(&result)) {
        const auto line = stowbar::ScenarioLoader::describe("scenario.json", *error);
        if (std::find(line.begin(), line.end(), '\n') != line.end()) {
            __builtin_trap();  // a refusal is always one line
        }
    }
    return 0;
}
