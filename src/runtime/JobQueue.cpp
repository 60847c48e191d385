#include "runtime/JobQueue.hpp"

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "runtime/Clock.hpp"
#include "runtime/MainExecutor.hpp"

namespace stowbar {

TimerId JobQueue::push(TimePoint deadline, Job job, bool cancellable) {
    const std::uint64_t sequence = ++lastSequence_;
    jobs_.emplace(Key{deadline, sequence}, std::move(job));
    if (!cancellable) {
        return TimerId{};
    }
    timers_.emplace(sequence, deadline);
    return TimerId{sequence};
}

std::optional<JobQueue::Job> JobQueue::cancel(TimerId id) {
    const auto timer = timers_.find(id.value);
    if (timer == timers_.end()) {
        return std::nullopt;
    }
    auto node = jobs_.extract(Key{timer->second, id.value});
    timers_.erase(timer);
    if (node.empty()) {
        return std::nullopt;
    }
    return std::move(node.mapped());
}

std::optional<JobQueue::Job> JobQueue::popDue(TimePoint now, std::uint64_t newest) {
    if (jobs_.empty()) {
        return std::nullopt;
    }
    const auto first = jobs_.begin();
    if (first->first.deadline > now || first->first.sequence > newest) {
        return std::nullopt;
    }
    auto node = jobs_.extract(first);
    timers_.erase(node.key().sequence);
    return std::move(node.mapped());
}

std::vector<JobQueue::Job> JobQueue::takeAll() {
    std::vector<Job> all;
    all.reserve(jobs_.size());
    for (auto& [key, job] : jobs_) {
        all.push_back(std::move(job));
    }
    jobs_.clear();
    timers_.clear();
    return all;
}

std::optional<TimePoint> JobQueue::nextDeadline() const {
    if (jobs_.empty()) {
        return std::nullopt;
    }
    return jobs_.begin()->first.deadline;
}

}  // namespace stowbar
