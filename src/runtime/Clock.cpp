#include "runtime/Clock.hpp"

#include <atomic>
#include <chrono>
#include <limits>

namespace stowbar {

TimePoint deadlineAfter(TimePoint start, Duration delay) {
    using Rep = Duration::rep;
    const Rep from = start.time_since_epoch().count();
    const Rep by = delay.count();
    if (by > 0 && from > std::numeric_limits<Rep>::max() - by) {
        return TimePoint{Duration{std::numeric_limits<Rep>::max()}};
    }
    if (by < 0 && from < std::numeric_limits<Rep>::min() - by) {
        return TimePoint{Duration{std::numeric_limits<Rep>::min()}};
    }
    return TimePoint{Duration{from + by}};
}

TimePoint SteadyClock::now() const {
    return TimePoint{
        std::chrono::duration_cast<Duration>(std::chrono::steady_clock::now().time_since_epoch())};
}

TimePoint VirtualClock::now() const {
    return TimePoint{Duration{nanos_.load(std::memory_order_acquire)}};
}

void VirtualClock::advanceTo(TimePoint target) {
    const auto wanted = target.time_since_epoch().count();
    if (wanted > nanos_.load(std::memory_order_relaxed)) {
        nanos_.store(wanted, std::memory_order_release);
    }
}

void VirtualClock::advanceBy(Duration delta) {
    if (delta > Duration::zero()) {
        advanceTo(deadlineAfter(now(), delta));
    }
}

}  // namespace stowbar
