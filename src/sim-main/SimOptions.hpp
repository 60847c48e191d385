#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace stowbar {

// What stowbar-sim was asked to do, as its command line says it.
struct SimOptions {
    // The folder each picture of the panel goes to; none: no pictures.
    std::optional<std::string> snapshotFolder;
    // The system's dark appearance rather than its light one.
    bool darkAppearance = false;
    // Set for a soak: that many virtual days of churn, made from soakSeed.
    std::optional<double> soakDays;
    std::uint64_t soakSeed = 1;
    // Empty only for a soak without a scenario, which starts from the default desktop.
    std::string scenarioPath;
    // What Stowbar itself is given: the program's path, then everything after the scenario.
    std::vector<std::string> programArguments;
};

// Reads stowbar-sim's own options from `given` (argv, the program's path first). A command
// line it cannot run gives what to print on standard error instead, whole lines, the usage
// among them; the program then ends with status 2 before anything runs.
//
// Threading: stateless; any thread may call it.
std::variant<SimOptions, std::string> readSimOptions(const std::vector<std::string>& given);

}  // namespace stowbar
