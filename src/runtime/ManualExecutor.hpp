#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "runtime/BackgroundThreads.hpp"
#include "runtime/Clock.hpp"
#include "runtime/JobQueue.hpp"
#include "runtime/MainExecutor.hpp"

namespace stowbar {

// A MainExecutor over a VirtualClock that runs only when told to: the executor of the tests and
// of the simulator. Time stands still until advanceBy/advanceTo moves it, so a test of a
// twelve-second retry finishes in microseconds and always in the same order.
//
// Threading: the thread that constructs it is its main thread. post() may be called from any
// thread; every other call must be made on the main thread (checked; a violation aborts).
// Ordering: jobs run in order of deadline, and in the order they were queued among equal
// deadlines. Background jobs take no virtual time unless they ask for it: before the clock
// moves, and before runUntilIdle returns, the executor waits for every running background job
// to post its result or to park in waitUntil, so a run is deterministic however the worker
// threads are scheduled. A parked job is woken once the clock reaches its deadline, after the
// jobs queued for that time; parked jobs due at the same time are woken one at a time, in the
// order they parked, each running until it ends or parks again before the next one wakes.
// Lifetime: the destructor first releases parked background jobs (their waitUntil returns
// false) and waits for every background job to finish, then destroys every queued job and
// timer without running it. Coroutine frames that were suspended waiting for one of those
// jobs are destroyed with it (their locals' destructors run); nothing leaks. Posts made while
// the destructor runs are dropped.
class ManualExecutor final : public MainExecutor {
  public:
    explicit ManualExecutor(TimePoint start = TimePoint{});
    ManualExecutor(const ManualExecutor&) = delete;
    ManualExecutor& operator=(const ManualExecutor&) = delete;
    ~ManualExecutor() override;

    void post(Job job) override;
    TimerId postAt(TimePoint deadline, Job job) override;
    void cancel(TimerId id) override;
    bool isCurrent() const override;
    const VirtualClock& clock() const override { return clock_; }
    void startBackgroundJob(Job work, Job done) override;

    TimePoint now() const { return clock_.now(); }

    // Called by a background job, on its worker thread, to let virtual time pass: blocks until
    // the clock reaches `deadline` while the main thread goes on running jobs and moving the
    // clock, as a slow answer from another process would. Meanwhile the job counts as parked,
    // not running, so nothing waits for it. Returns at once (true) for a deadline that is not
    // in the future, and false when the executor is being destroyed, in which case the job
    // should finish without waiting any more.
    bool waitUntil(TimePoint deadline);

    // Runs every job due now, including jobs those jobs queue for now, without waiting for
    // background jobs. Returns how many jobs ran. For tests that look at the state while a
    // background job is still out.
    std::size_t runDue();

    // Runs every job due now, waiting for outstanding background jobs and running what they
    // post, until nothing is due and nothing is outstanding. The clock does not move.
    void runUntilIdle();

    // Moves the clock forward, stopping at each deadline on the way to run its jobs (and then
    // everything they cause, as runUntilIdle does). Ends with the clock at the target. A target
    // in the past only runs what is due.
    void advanceBy(Duration delta);
    void advanceTo(TimePoint target);

    // Like advanceTo(limit), but checks `done` before and after every job and stops as soon as
    // it holds, leaving the clock at the time of that job. Returns whether `done` held.
    bool runUntil(const std::function<bool()>& done, TimePoint limit);

    // When set, every job is followed by a wait for the background jobs it started, so that
    // their results are queued before the next job runs. Runs then no longer depend on how the
    // worker threads are scheduled: the simulator uses it to print the same transcript every
    // time. Tests that hold a background job open while the loop goes on leave it off.
    void setBackgroundJobsSettleAfterEachJob(bool settle) { settleAfterEachJob_ = settle; }

    // Jobs and timers queued and not yet run, whether due or not.
    std::size_t pendingCount() const;
    // Background jobs started whose result has not been posted yet, parked ones included.
    std::size_t backgroundJobCount() const;
    // Those of them parked in waitUntil, and the threads they are parked on.
    std::size_t parkedJobCount() const;
    std::vector<std::thread::id> parkedThreads() const;
    // The earliest deadline queued, if any (parked jobs' deadlines not included).
    std::optional<TimePoint> nextDeadline() const;

  private:
    bool runOne();
    bool waitForBackgroundJobs();
    bool wakeParkedJob();
    std::optional<TimePoint> nextWakeLocked() const;
    void settleLocked(std::unique_lock<std::mutex>& lock);
    bool dueLocked() const;
    void finishBackgroundJob(Job done);
    void enterRun(const char* what);

    const std::thread::id owner_;
    VirtualClock clock_;

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    JobQueue queue_;
    // Started and not yet finished, and of those the ones parked in waitUntil.
    std::size_t backgroundJobs_ = 0;
    std::size_t parkedJobs_ = 0;
    struct Parked {
        TimePoint deadline;
        std::thread::id thread;
        bool woken = false;
    };
    // By order of parking.
    std::map<std::uint64_t, Parked> parked_;
    std::uint64_t lastParking_ = 0;
    // Set first by the destructor: parked jobs return, no job parks again.
    bool releasing_ = false;
    bool closing_ = false;

    bool running_ = false;             // main thread only
    bool settleAfterEachJob_ = false;  // main thread only
    BackgroundThreads workers_;
};

}  // namespace stowbar
