#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <map>
#include <optional>
#include <unordered_map>
#include <vector>

#include "runtime/Clock.hpp"
#include "runtime/MainExecutor.hpp"

namespace stowbar {

// The queue behind every MainExecutor: jobs in order of deadline, and in the order they were
// queued among equal deadlines, with a post being a job due "now" that no id names. Every
// executor keeps its jobs here, so that they cannot disagree about which job runs next.
//
// Threading: none of its own; the executor that owns it guards it with its lock.
// Lifetime: jobs still queued are destroyed with it, without running.
class JobQueue {
  public:
    using Job = MainExecutor::Job;
    static constexpr std::uint64_t kAnySequence = std::numeric_limits<std::uint64_t>::max();

    // Queues `job` for `deadline`. A cancellable job gets an id that cancel() accepts; any
    // other job gets the zero id.
    TimerId push(TimePoint deadline, Job job, bool cancellable);

    // Takes the job named by `id` out of the queue and hands it back, so that the caller can
    // destroy it outside its lock (destroying a job may queue another). Empty when `id` names
    // no queued job.
    std::optional<Job> cancel(TimerId id);

    // Takes the first job if it is due at `now` and was queued no later than the job numbered
    // `newest` (see lastSequence), so that a loop can leave work queued by this turn's jobs for
    // its next turn.
    std::optional<Job> popDue(TimePoint now, std::uint64_t newest = kAnySequence);

    // Empties the queue and hands back its jobs for destruction.
    std::vector<Job> takeAll();

    std::optional<TimePoint> nextDeadline() const;
    std::size_t size() const { return jobs_.size(); }
    // The number of the job queued last.
    std::uint64_t lastSequence() const { return lastSequence_; }

  private:
    struct Key {
        TimePoint deadline;
        std::uint64_t sequence = 0;
        friend bool operator<(const Key& a, const Key& b) {
            return a.deadline < b.deadline || (a.deadline == b.deadline && a.sequence < b.sequence);
        }
    };

    std::map<Key, Job> jobs_;
    // The deadlines of the cancellable jobs still queued, by id.
    std::unordered_map<std::uint64_t, TimePoint> timers_;
    std::uint64_t lastSequence_ = 0;
};

}  // namespace stowbar
