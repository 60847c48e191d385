#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "adapters/sim/SimulatedDesktop.hpp"

namespace stowbar {

// The actions of a long soak run, made up as they are asked for so that a month of them never
// sits in memory: applications launched with fresh pids (some answering slowly, some quitting
// in the middle of a scan) and ended, extras changing, the hidden set rewritten, the Control
// Center file turned to garbage, removed or replaced by a directory, Accessibility withdrawn and
// granted again, and the panel opened, a row pressed and the panel closed. The same seed gives
// the same actions on every machine (the numbers come from a fixed generator, not from a
// library's distributions).
//
// Besides the churn it yields an action at each whole virtual day (a hover that changes
// nothing), so that a caller can take its daily measurement at exactly that time.
//
// Threading: one thread at a time.
class SoakChurn {
  public:
    static constexpr double kSecondsPerDay = 86400.0;

    SoakChurn(double days, std::uint64_t seed, std::int32_t firstPid);

    // The next action, in order of time; none once `days` are over.
    std::optional<ScriptAction> next();

    // Whether `action` is the one that marks the end of a day, and which day that was.
    std::optional<int> dayEndedBy(const ScriptAction& action) const;

  private:
    std::uint64_t random();
    std::uint64_t below(std::uint64_t bound) { return random() % bound; }
    script::Event churn();
    std::optional<script::Event> windDown();
    std::vector<SimulatedExtra> extras();

    const double end_;
    std::uint64_t state_;
    double now_ = 0;
    int nextDay_ = 1;
    std::int32_t nextPid_;
    std::vector<std::int32_t> running_;
    bool trusted_ = true;
    // Whether a directory stands where the Control Center file belongs.
    bool fileIsDirectory_ = false;
    // Whether the file is not the last hidden set written (garbage, gone, or a directory), and
    // that set, which the wind-down writes again so that every day ends in the same state.
    bool fileFaulted_ = false;
    std::vector<std::string> lastHidden_;
    bool panelOpen_ = false;
    // Whether today's wind-down has closed the panel.
    bool closed_ = false;
};

}  // namespace stowbar
