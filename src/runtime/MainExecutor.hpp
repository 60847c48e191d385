#pragma once

#include <cstdint>
#include <functional>

#include "runtime/Clock.hpp"

namespace stowbar {

// Names one job queued with MainExecutor::postAt so that it can be cancelled. The zero id names
// nothing.
struct TimerId {
    std::uint64_t value = 0;

    friend bool operator==(const TimerId&, const TimerId&) = default;
};

// The main thread's run loop, seen from the core. Everything that touches the model or the user
// interface runs as a job on it, so the core needs no locks.
//
// Threading: post(), isCurrent() and clock() may be called from any thread. postAt(), cancel()
// and startBackgroundJob() are made on the main thread (the one for which isCurrent() is true);
// a call from another thread is a programming error and stops the program. Jobs always run on
// the main thread, one at a time.
// Ordering: jobs run in order of deadline; jobs with the same deadline run in the order they
// were queued. post(job) queues the job with the deadline "now".
// Lifetime: the executor must outlive every thread that may post to it. What happens to jobs
// still queued when it is destroyed is up to the implementation, which documents it; they never
// run.
class MainExecutor {
  public:
    using Job = std::function<void()>;

    virtual ~MainExecutor() = default;

    // Queues `job` to run on a later turn of the loop; never runs it inline.
    virtual void post(Job job) = 0;

    // Queues `job` to run once clock() reaches `deadline`. A deadline in the past means "as soon
    // as possible", still on a later turn.
    virtual TimerId postAt(TimePoint deadline, Job job) = 0;

    // Drops a job queued with postAt before it runs. Cancelling a job that already ran, was
    // already cancelled or was never queued does nothing.
    virtual void cancel(TimerId id) = 0;

    // True on the thread that runs this executor's jobs.
    virtual bool isCurrent() const = 0;

    // The clock that deadlines are measured against.
    virtual const Clock& clock() const = 0;

    // Runs `work` on a worker thread, then posts `done` to this executor. The job counts as
    // outstanding from this call until `done` is queued, so a test executor can wait for it
    // instead of guessing. `work` must not throw. Called on the main thread.
    virtual void startBackgroundJob(Job work, Job done) = 0;

  protected:
    MainExecutor() = default;
    MainExecutor(const MainExecutor&) = default;
    MainExecutor& operator=(const MainExecutor&) = default;
    MainExecutor(MainExecutor&&) = default;
    MainExecutor& operator=(MainExecutor&&) = default;
};

}  // namespace stowbar
