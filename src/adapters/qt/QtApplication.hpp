#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>

#include "adapters/qt/TerminationSignals.hpp"
#include "platform/Application.hpp"
#include "runtime/BackgroundThreads.hpp"
#include "runtime/Clock.hpp"
#include "runtime/JobQueue.hpp"
#include "runtime/MainExecutor.hpp"

class QApplication;
class QObject;
class QTimer;

namespace stowbar {

// The application's event loop on Qt, and the main thread's executor on that loop.
//
// Construct it on the main thread before any other thread starts: from then on SIGINT and
// SIGTERM no longer end the process by themselves, and the loop receives them as the request to
// terminate (TerminationSignals). The QApplication itself is created only by run(), so a run that
// never starts the loop (the diagnostics report) touches no display. On Linux without a display
// Qt's offscreen platform is chosen, so the program still runs (QtPlatformChoice).
//
// Threading: post() may be called from any thread; everything else on the main thread (checked;
// a violation aborts).
// Ordering: posts and timers share one queue (JobQueue), so they run in the same order as on
// every other executor. One single-shot Qt timer is set to the earliest deadline, so an idle
// program wakes only when one of its own jobs is due; each turn runs the jobs due when it
// began and leaves what they queue for the next turn, so Qt's own events are never starved.
// Lifetime: the QApplication lives until this object is destroyed, after everything the
// delegate built with it. run() returns only once every background job has ended, so the ports
// those jobs use may go as soon as it returns. The destructor waits for any job started since,
// then destroys the jobs still queued without running them.
class QtApplication final : public Application, public MainExecutor {
  public:
    QtApplication();
    ~QtApplication() override;
    QtApplication(const QtApplication&) = delete;
    QtApplication& operator=(const QtApplication&) = delete;

    // Without a usable display (DISPLAY names an X server that does not answer) run() says so
    // in one line on standard error and returns at once, before the launch.
    void run(ApplicationDelegate& delegate) override;
    void terminate() override;
    MainExecutor& mainExecutor() override { return *this; }

    void post(Job job) override;
    TimerId postAt(TimePoint deadline, Job job) override;
    void cancel(TimerId id) override;
    bool isCurrent() const override;
    const Clock& clock() const override { return clock_; }
    void startBackgroundJob(Job work, Job done) override;

    // What the process should end with: 0, or 1 when run() found no usable display.
    int exitStatus() const { return exitStatus_; }

  private:
    void wake();
    void runDue();
    void rearmWakeTimer();

    const std::thread::id owner_;
    SteadyClock clock_;
    std::unique_ptr<TerminationSignals> signals_;

    mutable std::mutex mutex_;
    JobQueue queue_;
    // Set once the loop can take queued calls; read by posting threads.
    std::atomic<QObject*> context_{nullptr};
    // Whether a turn is already queued on the loop for what was posted.
    std::atomic<bool> wakeQueued_{false};

    bool terminateRequested_ = false;
    bool running_ = false;
    int exitStatus_ = 0;

    std::unique_ptr<QApplication> application_;
    std::unique_ptr<QObject> contextObject_;
    std::unique_ptr<QTimer> wakeTimer_;
    BackgroundThreads workers_;
};

}  // namespace stowbar
