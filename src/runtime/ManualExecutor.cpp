#include "runtime/ManualExecutor.hpp"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

#include "runtime/Clock.hpp"
#include "runtime/MainExecutor.hpp"
#include "runtime/MainThread.hpp"

namespace stowbar {

namespace {

// Clears the running flag however the run ends.
class RunScope {
  public:
    explicit RunScope(bool& running) : running_(running) { running_ = true; }
    RunScope(const RunScope&) = delete;
    RunScope& operator=(const RunScope&) = delete;
    ~RunScope() { running_ = false; }

  private:
    bool& running_;
};

}  // namespace

ManualExecutor::ManualExecutor(TimePoint start)
    : owner_(std::this_thread::get_id()), clock_(start) {}

ManualExecutor::~ManualExecutor() {
    // A parked job would wait for a clock that no longer moves.
    {
        std::lock_guard lock(mutex_);
        releasing_ = true;
    }
    changed_.notify_all();
    // Workers post into the queue, so they finish before the queue goes.
    workers_.joinAll();
    {
        std::lock_guard lock(mutex_);
        closing_ = true;
    }
    // Destroying a job can destroy a coroutine frame whose locals queue more work; those posts
    // are dropped, but keep going until nothing is left just in case.
    for (;;) {
        std::vector<Job> doomed;
        {
            std::lock_guard lock(mutex_);
            doomed = queue_.takeAll();
        }
        if (doomed.empty()) {
            break;
        }
        doomed.clear();
    }
}

void ManualExecutor::post(Job job) {
    Job dropped;
    {
        std::lock_guard lock(mutex_);
        if (closing_) {
            dropped = std::move(job);
        } else {
            queue_.push(clock_.now(), std::move(job), false);
        }
    }
    changed_.notify_all();
}

TimerId ManualExecutor::postAt(TimePoint deadline, Job job) {
    assertOnMainThread(*this);
    Job dropped;
    std::lock_guard lock(mutex_);
    if (closing_) {
        dropped = std::move(job);
        return TimerId{};
    }
    return queue_.push(deadline, std::move(job), true);
}

void ManualExecutor::cancel(TimerId id) {
    assertOnMainThread(*this);
    std::optional<Job> doomed;  // destroyed after the lock is released: its destructor may post
    std::lock_guard lock(mutex_);
    doomed = queue_.cancel(id);
}

bool ManualExecutor::isCurrent() const {
    return std::this_thread::get_id() == owner_;
}

void ManualExecutor::startBackgroundJob(Job work, Job done) {
    assertOnMainThread(*this);
    {
        std::lock_guard lock(mutex_);
        if (closing_) {
            return;
        }
        ++backgroundJobs_;
    }
    workers_.start([this, work = std::move(work), done = std::move(done)]() mutable {
        work();
        // The work's captures go on the worker, before the main thread can see the result.
        work = nullptr;
        finishBackgroundJob(std::move(done));
    });
}

bool ManualExecutor::waitUntil(TimePoint deadline) {
    if (isCurrent()) {
        // The main thread moves the clock; waiting on it there would wait forever.
        std::fprintf(stderr, "Stowbar: ManualExecutor::waitUntil called on the main thread\n");
        std::fflush(stderr);
        std::abort();
    }
    std::unique_lock lock(mutex_);
    if (releasing_) {
        return false;
    }
    if (deadline <= clock_.now()) {
        return true;
    }
    const std::uint64_t ticket = ++lastParking_;
    parked_.emplace(ticket, Parked{deadline, std::this_thread::get_id()});
    ++parkedJobs_;
    changed_.notify_all();
    changed_.wait(lock, [&] { return releasing_ || parked_.at(ticket).woken; });
    // The waker counts a woken job as running again; a released one counts itself.
    if (!parked_.at(ticket).woken) {
        --parkedJobs_;
    }
    parked_.erase(ticket);
    return !releasing_;
}

void ManualExecutor::finishBackgroundJob(Job done) {
    {
        // Queueing the result and ending the job happen together, so a waiter never sees "no
        // job outstanding and nothing queued" in between.
        std::lock_guard lock(mutex_);
        queue_.push(clock_.now(), std::move(done), false);
        --backgroundJobs_;
    }
    changed_.notify_all();
}

std::size_t ManualExecutor::runDue() {
    enterRun("runDue");
    RunScope scope(running_);
    std::size_t count = 0;
    while (runOne()) {
        ++count;
    }
    return count;
}

void ManualExecutor::runUntilIdle() {
    runUntil(nullptr, clock_.now());
}

void ManualExecutor::advanceBy(Duration delta) {
    advanceTo(deadlineAfter(clock_.now(), delta > Duration::zero() ? delta : Duration::zero()));
}

void ManualExecutor::advanceTo(TimePoint target) {
    runUntil(nullptr, target);
}

bool ManualExecutor::runUntil(const std::function<bool()>& done, TimePoint limit) {
    enterRun("runUntil");
    RunScope scope(running_);
    for (;;) {
        if (done && done()) {
            return true;
        }
        if (runOne() || waitForBackgroundJobs() || wakeParkedJob()) {
            continue;
        }
        std::optional<TimePoint> next = nextDeadline();
        {
            std::lock_guard lock(mutex_);
            const auto wake = nextWakeLocked();
            if (wake && (!next || *wake < *next)) {
                next = wake;
            }
        }
        if (!next || *next > limit) {
            clock_.advanceTo(limit);
            return done && done();
        }
        clock_.advanceTo(*next);
    }
}

std::size_t ManualExecutor::pendingCount() const {
    std::lock_guard lock(mutex_);
    return queue_.size();
}

std::size_t ManualExecutor::backgroundJobCount() const {
    std::lock_guard lock(mutex_);
    return backgroundJobs_;
}

std::size_t ManualExecutor::parkedJobCount() const {
    std::lock_guard lock(mutex_);
    return parkedJobs_;
}

std::vector<std::thread::id> ManualExecutor::parkedThreads() const {
    std::lock_guard lock(mutex_);
    std::vector<std::thread::id> threads;
    for (const auto& [ticket, parked] : parked_) {
        if (!parked.woken) {
            threads.push_back(parked.thread);
        }
    }
    return threads;
}

std::optional<TimePoint> ManualExecutor::nextDeadline() const {
    std::lock_guard lock(mutex_);
    return queue_.nextDeadline();
}

bool ManualExecutor::runOne() {
    std::optional<Job> job;
    {
        std::lock_guard lock(mutex_);
        job = queue_.popDue(clock_.now());
    }
    if (!job) {
        return false;
    }
    (*job)();
    if (settleAfterEachJob_) {
        std::unique_lock lock(mutex_);
        settleLocked(lock);
    }
    return true;
}

void ManualExecutor::settleLocked(std::unique_lock<std::mutex>& lock) {
    changed_.wait(lock, [this] { return backgroundJobs_ == parkedJobs_; });
}

bool ManualExecutor::waitForBackgroundJobs() {
    std::unique_lock lock(mutex_);
    if (backgroundJobs_ == parkedJobs_) {
        return false;
    }
    changed_.wait(lock, [this] { return backgroundJobs_ == parkedJobs_ || dueLocked(); });
    return true;
}

bool ManualExecutor::wakeParkedJob() {
    std::unique_lock lock(mutex_);
    Parked* first = nullptr;
    for (auto& [ticket, parked] : parked_) {
        if (!parked.woken && parked.deadline <= clock_.now() &&
            (first == nullptr || parked.deadline < first->deadline)) {
            first = &parked;
        }
    }
    if (first == nullptr) {
        return false;
    }
    first->woken = true;
    --parkedJobs_;
    changed_.notify_all();
    if (settleAfterEachJob_) {
        settleLocked(lock);
    }
    return true;
}

std::optional<TimePoint> ManualExecutor::nextWakeLocked() const {
    std::optional<TimePoint> next;
    for (const auto& [ticket, parked] : parked_) {
        if (!parked.woken && (!next || parked.deadline < *next)) {
            next = parked.deadline;
        }
    }
    return next;
}

bool ManualExecutor::dueLocked() const {
    const auto next = queue_.nextDeadline();
    return next && *next <= clock_.now();
}

void ManualExecutor::enterRun(const char* what) {
    assertOnMainThread(*this);
    if (running_) {
        // Running the loop from inside one of its own jobs would run later jobs before the
        // current one has finished, which no real run loop does.
        std::fprintf(stderr, "Stowbar: ManualExecutor::%s called from inside one of its jobs\n",
                     what);
        std::fflush(stderr);
        std::abort();
    }
}

}  // namespace stowbar
