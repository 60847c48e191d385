#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>

namespace stowbar {

// Time in this program is a count of nanoseconds. A TimePoint is measured from an arbitrary
// epoch chosen by the clock that produced it, so only points from the same clock compare.
using Duration = std::chrono::nanoseconds;

// Tag for TimePoint; never instantiated. Keeping our own tag (rather than steady_clock's) stops
// a real-clock reading from being mixed into virtual time by accident.
struct ClockEpoch;
using TimePoint = std::chrono::time_point<ClockEpoch, Duration>;

// `start + delay`, saturating at the ends of the range instead of overflowing. Delays come from
// callers as large unsigned counts of nanoseconds; a huge one must mean "never", not wrap into
// the past and fire at once.
TimePoint deadlineAfter(TimePoint start, Duration delay);

// The only thing in the program that tells time.
//
// Threading: now() may be called from any thread.
class Clock {
  public:
    virtual ~Clock() = default;
    virtual TimePoint now() const = 0;

  protected:
    Clock() = default;
    Clock(const Clock&) = default;
    Clock& operator=(const Clock&) = default;
    Clock(Clock&&) = default;
    Clock& operator=(Clock&&) = default;
};

// Real time from std::chrono::steady_clock: monotonic, unaffected by changes of the wall clock.
class SteadyClock final : public Clock {
  public:
    TimePoint now() const override;
};

// Time that only moves when told to. Tests and the simulator hold it still, then step it.
//
// Threading: now() may be called from any thread (a background job finishing reads it when it
// posts); advancing is done by one thread, normally the one running the ManualExecutor.
// Ordering: the clock never goes backwards; asking for an earlier time leaves it where it is.
class VirtualClock final : public Clock {
  public:
    explicit VirtualClock(TimePoint start = TimePoint{})
        : nanos_(start.time_since_epoch().count()) {}
    VirtualClock(const VirtualClock&) = delete;
    VirtualClock& operator=(const VirtualClock&) = delete;
    ~VirtualClock() override = default;

    TimePoint now() const override;
    void advanceTo(TimePoint target);
    void advanceBy(Duration delta);

  private:
    std::atomic<std::int64_t> nanos_;
};

}  // namespace stowbar
