#include "sim-main/SoakChurn.hpp"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "adapters/sim/SimulatedDesktop.hpp"
#include "platform/Geometry.hpp"

namespace stowbar {

namespace {

// Between two actions, in virtual seconds: long enough for a refresh (0.3 s debounce, scan,
// captures) to end before the next action, short enough to churn through many of them a day.
constexpr double kMinimumGap = 60.0;
constexpr std::uint64_t kGapSpread = 120;
// The churn keeps between a few and this many applications of its own running.
constexpr std::size_t kMostRunning = 8;
// The last quarter of an hour of each day winds the churn down, one step every half minute.
constexpr double kWindDown = 900.0;
constexpr double kWindDownStep = 30.0;

}  // namespace

SoakChurn::SoakChurn(double days, std::uint64_t seed, std::int32_t firstPid)
    : end_(days * kSecondsPerDay), state_(seed), nextPid_(firstPid) {}

// splitmix64: small, fast and fully specified, so the same seed churns alike everywhere.
std::uint64_t SoakChurn::random() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

std::optional<int> SoakChurn::dayEndedBy(const ScriptAction& action) const {
    const auto* hover = std::get_if<script::Hover>(&action.event);
    if (hover == nullptr || hover->target.has_value()) {
        return std::nullopt;
    }
    const double day = action.at / kSecondsPerDay;
    if (day < 1 || day != std::floor(day)) {
        return std::nullopt;
    }
    return static_cast<int>(day);
}

std::optional<ScriptAction> SoakChurn::next() {
    double gap = kMinimumGap + static_cast<double>(below(kGapSpread));
    const double dayEnd = nextDay_ * kSecondsPerDay;
    // The day ends as it began, with none of the churn's applications running, the panel
    // closed and Accessibility granted, so that the days' measurements compare like with like.
    if (now_ + gap >= dayEnd - kWindDown) {
        if (auto action = windDown(); action && now_ + kWindDownStep < dayEnd) {
            now_ += kWindDownStep;
            return ScriptAction{now_, std::move(*action)};
        }
        gap = dayEnd - now_;
    }
    if (now_ + gap >= dayEnd) {
        closed_ = false;
        if (dayEnd > end_) {
            return std::nullopt;
        }
        now_ = dayEnd;
        ++nextDay_;
        return ScriptAction{now_, script::Hover{std::nullopt, 0}};
    }
    now_ += gap;
    return ScriptAction{now_, churn()};
}

std::optional<script::Event> SoakChurn::windDown() {
    // Whatever the churn believes, a click elsewhere closes a panel that is still open.
    if (!closed_) {
        closed_ = true;
        panelOpen_ = false;
        return script::ClickElsewhere{script::MouseButton::left};
    }
    if (!trusted_) {
        trusted_ = true;
        return script::SetAccessibility{true};
    }
    if (fileIsDirectory_) {
        fileIsDirectory_ = false;
        return script::RemoveControlCenterFile{};
    }
    // A day that ended with the file gone or broken would be measured with the Full Disk Access
    // prompt up and what the failed reads left behind: days would not compare.
    if (fileFaulted_) {
        fileFaulted_ = false;
        return script::WriteHiddenSet{lastHidden_};
    }
    if (!running_.empty()) {
        const std::int32_t pid = running_.back();
        running_.pop_back();
        return script::Terminate{pid};
    }
    return std::nullopt;
}

std::vector<SimulatedExtra> SoakChurn::extras() {
    std::vector<SimulatedExtra> result(1 + below(2));
    for (auto& extra : result) {
        // Out of the menu bar's band, so that each one is a hidden extra.
        extra.position = Point{1200.0 + static_cast<double>(below(300)), -30};
        extra.size = Size{22, 22};
        extra.window = static_cast<std::uint32_t>(1000 + below(100000));
    }
    return result;
}

script::Event SoakChurn::churn() {
    const auto pick = below(100);
    if (running_.size() < 3 || (pick < 20 && running_.size() < kMostRunning)) {
        SimulatedApplication application;
        application.pid = nextPid_++;
        application.name = "Soak " + std::to_string(below(10));
        application.bundleIdentifier = "com.example.soak" + std::to_string(below(10));
        application.extras = extras();
        // Some answer slowly, so that scans take virtual time and refreshes overlap; some quit
        // in the middle of a scan (the churn may later end them again, which does nothing).
        if (below(4) == 0) {
            application.answerDelay = 0.01 * static_cast<double>(1 + below(5));
        }
        if (below(8) == 0) {
            application.quitAfterRequests = static_cast<std::uint32_t>(1 + below(6));
        }
        running_.push_back(application.pid);
        return script::Launch{std::move(application)};
    }
    if (pick < 35) {
        const auto at = running_.begin() + static_cast<std::ptrdiff_t>(below(running_.size()));
        const std::int32_t pid = *at;
        running_.erase(at);
        return script::Terminate{pid};
    }
    if (pick < 50) {
        return script::SetExtras{running_[below(running_.size())], extras()};
    }
    if (fileIsDirectory_ && pick < 60) {
        fileIsDirectory_ = false;
        return script::RemoveControlCenterFile{};
    }
    if (pick >= 56 && pick < 60) {
        // The file goes wrong now and then; the next rewrite, or the wind-down, repairs it.
        fileFaulted_ = true;
        switch (below(3)) {
            case 0:
                return script::WriteControlCenterFile{"bplist00 and then garbage"};
            case 1:
                return script::RemoveControlCenterFile{};
            default:
                fileIsDirectory_ = true;
                return script::ControlCenterFileBecomesDirectory{};
        }
    }
    if (pick < 60) {
        std::vector<std::string> hidden;
        for (int index = 0; index < 10; ++index) {
            if (below(2) == 0) {
                hidden.push_back("com.example.soak" + std::to_string(index));
            }
        }
        fileFaulted_ = false;
        lastHidden_ = hidden;
        return script::WriteHiddenSet{std::move(hidden)};
    }
    if (pick < 65 || !trusted_) {
        trusted_ = !trusted_;
        return script::SetAccessibility{trusted_};
    }
    if (!panelOpen_) {
        panelOpen_ = true;
        return script::ClickStatusItem{};
    }
    if (pick < 85) {
        // Pressing a row closes the panel.
        panelOpen_ = false;
        return script::ClickRow{0};
    }
    panelOpen_ = false;
    return script::ClickElsewhere{script::MouseButton::left};
}

}  // namespace stowbar
