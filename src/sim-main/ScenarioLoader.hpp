#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

#include "adapters/sim/SimulatedDesktop.hpp"
#include "platform/FileSystem.hpp"

namespace stowbar {

// Why a scenario was refused, and where.
struct ScenarioError {
    enum class Kind : std::uint8_t {
        file,     // the file itself: unreadable, too large
        syntax,   // not JSON; `place` is "line:column" (1-based, columns in bytes)
        content,  // JSON, but not a scenario; `place` is a JSON pointer ("" is the whole file)
    };
    Kind kind = Kind::content;
    std::string place;
    std::string problem;

    friend bool operator==(const ScenarioError&, const ScenarioError&) = default;
};

using ScenarioResult = std::variant<SimulatedDesktop, ScenarioError>;

// Reads scenario files: JSON that describes a simulated desktop and a script of events (the
// format is documented in examples/README.md). The input comes from outside, so the reader
// bounds it (size and nesting) before parsing and checks every field: a wrong type, an
// unknown value, a missing required field or an unknown field (most often a typo) refuses the
// whole file with the first problem found, rather than running a scenario that is not the
// one its author meant.
//
// Threading: stateless; any thread may call it.
class ScenarioLoader {
  public:
    static constexpr std::size_t kMaximumFileSize = std::size_t{1024} * 1024;
    static constexpr int kMaximumDepth = 32;
    // Script times are bounded so that they convert to virtual nanoseconds without overflow.
    static constexpr double kMaximumTime = 86400;

    ScenarioLoader() = delete;

    static ScenarioResult parse(std::string_view text);
    static ScenarioResult load(const FileSystem& files, const std::string& path);

    // One line, without its line feed, naming the file, the place and the problem. Control
    // characters are escaped so that the message stays on one line whatever the file holds.
    static std::string describe(const std::string& path, const ScenarioError& error);
};

}  // namespace stowbar
