#include "sim-main/SimOptions.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace stowbar {

namespace {

constexpr const char* kUsage =
    "usage: stowbar-sim [--snapshots DIR] [--appearance light|dark] SCENARIO.json [ARGS...]\n"
    "       stowbar-sim --soak DAYS [--seed N] [SCENARIO.json]\n"
    "  ARGS, everything after SCENARIO.json, are passed on to Stowbar as its own arguments\n"
    "  (--diagnose prints the report); options of stowbar-sim go before SCENARIO.json.\n";

// A soak runs at most ten years of virtual time; anything else is a typo.
constexpr double kMostSoakDays = 3650;
// The largest seed a double holds exactly: a larger one would not be the seed typed.
constexpr double kMostSeed = 9007199254740992.0;

std::optional<double> parseNumber(const std::string& text) {
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (text.empty() || end != text.c_str() + text.size() || !(value >= 0)) {
        return std::nullopt;
    }
    return value;
}

bool whole(double value) {
    return value == std::floor(value);
}

// The word after the option at `at`; null when the line ends there.
const std::string* valueAfter(const std::vector<std::string>& given, std::size_t at) {
    return at + 1 < given.size() ? &given[at + 1] : nullptr;
}

std::optional<double> numberAfter(const std::vector<std::string>& given, std::size_t at) {
    const std::string* value = valueAfter(given, at);
    return value != nullptr ? parseNumber(*value) : std::nullopt;
}

}  // namespace

std::variant<SimOptions, std::string> readSimOptions(const std::vector<std::string>& given) {
    SimOptions options;
    std::size_t next = 1;
    if (next < given.size() && given[next] == "--soak") {
        const auto days = numberAfter(given, next);
        if (!days || *days < 1 || *days > kMostSoakDays || !whole(*days)) {
            return kUsage;
        }
        options.soakDays = days;
        next += 2;
        if (next < given.size() && given[next] == "--seed") {
            const auto seed = numberAfter(given, next);
            if (!seed || !whole(*seed) || *seed > kMostSeed) {
                return kUsage;
            }
            options.soakSeed = static_cast<std::uint64_t>(*seed);
            next += 2;
        }
        // At most the scenario is left: a soak passes nothing on.
        if (next + 1 < given.size()) {
            return kUsage;
        }
    } else {
        while (next < given.size() &&
               (given[next] == "--snapshots" || given[next] == "--appearance")) {
            const bool isAppearance = given[next] == "--appearance";
            const std::string* chosen = valueAfter(given, next);
            if (chosen == nullptr || (isAppearance && *chosen != "light" && *chosen != "dark")) {
                return kUsage;
            }
            if (isAppearance) {
                options.darkAppearance = *chosen == "dark";
            } else {
                options.snapshotFolder = *chosen;
            }
            next += 2;
        }
    }
    if (next >= given.size() && !options.soakDays) {
        return kUsage;
    }
    if (next < given.size()) {
        options.scenarioPath = given[next++];
    }
    // Given after the scenario, stowbar-sim's own option would reach Stowbar, which ignores
    // it, and no picture would be written: refuse it rather than pass it on silently.
    const auto rest = given.begin() + static_cast<std::ptrdiff_t>(next);
    for (const char* option : {"--snapshots", "--appearance"}) {
        if (std::find(rest, given.end(), option) != given.end()) {
            return std::string("stowbar-sim: ") + option + " goes before SCENARIO.json\n" + kUsage;
        }
    }
    options.programArguments.push_back(given[0]);
    options.programArguments.insert(options.programArguments.end(), rest, given.end());
    return options;
}

}  // namespace stowbar
