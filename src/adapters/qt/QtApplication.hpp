#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <vector>

#include "adapters/qt/TerminationSignals.hpp"
#include "platform/Application.hpp"
#include "runtime/BackgroundThreads.hpp"
#include "runtime/Clock.hpp"
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
// Threading: post() may be called from any thread; everything else on the main thread.
// Timers: all deadlines share one single-shot Qt timer set to the earliest of them, so an idle
// program wakes only when one of its own deadlines is due.
// Lifetime: the QApplication lives until this object is destroyed, after everything the
// delegate built with it. The destructor waits for background jobs; jobs still queued never run.
class QtApplication final : public Application, public MainExecutor {
  public:
    QtApplication();
    ~QtApplication() override;
    QtApplication(const QtApplication&) = delete;
    QtApplication& operator=(const QtApplication&) = delete;

    void run(ApplicationDelegate& delegate) override;
    void terminate() override;
    MainExecutor& mainExecutor() override { return *this; }

    void post(Job job) override;
    TimerId postAt(TimePoint deadline, Job job) override;
    void cancel(TimerId id) override;
    bool isCurrent() const override;
    const Clock& clock() const override { return clock_; }
    void startBackgroundJob(Job work, Job done) override;

  private:
    struct Key {
        TimePoint deadline;
        std::uint64_t sequence = 0;
        friend bool operator<(const Key& a, const Key& b) {
            return a.deadline < b.deadline || (a.deadline == b.deadline && a.sequence < b.sequence);
        }
    };

    void drainPosted();
    void runDueTimers();
    void rearmWakeTimer();

    const std::thread::id owner_;
    SteadyClock clock_;
    std::unique_ptr<TerminationSignals> signals_;

    std::mutex postedMutex_;
    std::vector<Job> posted_;
    // Set once the loop can take queued calls; read by posting threads.
    std::atomic<QObject*> context_{nullptr};

    std::map<Key, Job> timers_;
    std::unordered_map<std::uint64_t, Key> timerKeys_;
    std::uint64_t lastSequence_ = 0;

    bool terminateRequested_ = false;
    bool running_ = false;

    std::unique_ptr<QApplication> application_;
    std::unique_ptr<QObject> contextObject_;
    std::unique_ptr<QTimer> wakeTimer_;
    BackgroundThreads workers_;
};

}  // namespace stowbar
