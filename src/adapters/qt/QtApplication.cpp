#include "adapters/qt/QtApplication.hpp"

#include "adapters/qt/QtPlatformChoice.hpp"

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QMetaObject>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QtGlobal>
#include <chrono>
#include <cstdint>
#include <functional>
#include <iostream>
#include <limits>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

#include "adapters/qt/TerminationSignals.hpp"
#include "platform/Application.hpp"
#include "runtime/Clock.hpp"
#include "runtime/MainExecutor.hpp"
#include "runtime/MainThread.hpp"

namespace stowbar {

namespace {

// The loop's turn for posted jobs is asked for with an event of our own, which Qt allocates,
// delivers and deletes itself. A queued functor (QMetaObject::invokeMethod) would do as well,
// but its slot object is released by whichever thread lets go of it last, sometimes the
// posting worker after the main thread ran it; Qt counts those references where
// ThreadSanitizer cannot see, so every post from a worker could be reported as a race.
QEvent::Type wakeEventType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

class WakeTarget final : public QObject {
  public:
    explicit WakeTarget(std::function<void()> onWake) : onWake_(std::move(onWake)) {}

    bool event(QEvent* event) override {
        if (event->type() == wakeEventType()) {
            onWake_();
            return true;
        }
        return QObject::event(event);
    }

  private:
    std::function<void()> onWake_;
};

}  // namespace

namespace {

// QApplication keeps references to these for its whole life.
int applicationArgc = 1;
char applicationName[] = "stowbar";
char* applicationArgv[] = {applicationName, nullptr};

}  // namespace

QtApplication::QtApplication()
    : owner_(std::this_thread::get_id()), signals_(std::make_unique<TerminationSignals>()) {}

QtApplication::~QtApplication() {
    // Background jobs may still post; they must end before the queue goes away.
    workers_.joinAll();
    context_.store(nullptr);
    // Queued jobs are destroyed without running, while everything they may refer to exists.
    std::vector<Job> doomed;
    {
        const std::lock_guard lock(mutex_);
        doomed = queue_.takeAll();
    }
    doomed.clear();
    signals_.reset();
    wakeTimer_.reset();
    contextObject_.reset();
    application_.reset();
}

void QtApplication::run(ApplicationDelegate& delegate) {
    if (!application_) {
        // Qt's notes about the machine (a runtime directory it chose, a platform without a
        // tray) are dropped; its errors are the user's to read. A fatal one still ends the
        // process, as Qt decides after the handler returns.
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext& context,
                                  const QString& message) {
            if (type == QtCriticalMsg || type == QtFatalMsg) {
                std::cerr << "stowbar: " << qFormatLogMessage(type, context, message).toStdString()
                          << '\n';
            }
        });
        if (const auto unusable = chooseQtPlatform()) {
            std::cerr << "stowbar: " << *unusable << '\n';
            exitStatus_ = 1;
            return;
        }
        application_ = std::make_unique<QApplication>(applicationArgc, applicationArgv);
        // The program lives in the menu bar; closing its popup must not end it.
        QApplication::setQuitOnLastWindowClosed(false);
        // The event type is registered here, on the main thread, before any worker can post.
        static_cast<void>(wakeEventType());
        contextObject_ = std::make_unique<WakeTarget>([this] {
            wakeQueued_ = false;
            runDue();
        });
        wakeTimer_ = std::make_unique<QTimer>();
        wakeTimer_->setSingleShot(true);
        wakeTimer_->setTimerType(Qt::PreciseTimer);
        QObject::connect(wakeTimer_.get(), &QTimer::timeout, contextObject_.get(),
                         [this] { runDue(); });
        signals_->listen([this] { terminate(); });
        context_.store(contextObject_.get());
    }
    running_ = true;
    // Jobs posted before the loop existed run first, on the loop's first turns; the launch is
    // queued after them.
    wake();
    rearmWakeTimer();
    QMetaObject::invokeMethod(
        contextObject_.get(),
        [this, &delegate] {
            delegate.applicationDidFinishLaunching();
            if (terminateRequested_) {
                QCoreApplication::quit();
            }
        },
        Qt::QueuedConnection);
    QApplication::exec();
    running_ = false;
    delegate.applicationWillTerminate();
    // A scan or a press may still be out, using ports that the caller destroys as soon as run()
    // returns: they end here, while everything they use still exists. Their results stay queued
    // and are destroyed unrun with the executor.
    workers_.joinAll();
}

void QtApplication::terminate() {
    terminateRequested_ = true;
    if (running_) {
        QCoreApplication::quit();
    }
}

void QtApplication::post(Job job) {
    {
        const std::lock_guard lock(mutex_);
        queue_.push(clock_.now(), std::move(job), false);
    }
    wake();
}

void QtApplication::wake() {
    // One queued turn serves every job posted before it runs.
    QObject* context = context_.load();
    if (context != nullptr && !wakeQueued_.exchange(true)) {
        QCoreApplication::postEvent(context, new QEvent(wakeEventType()));
    }
}

TimerId QtApplication::postAt(TimePoint deadline, Job job) {
    assertOnMainThread(*this);
    TimerId id;
    {
        const std::lock_guard lock(mutex_);
        id = queue_.push(deadline, std::move(job), true);
    }
    rearmWakeTimer();
    return id;
}

void QtApplication::cancel(TimerId id) {
    assertOnMainThread(*this);
    std::optional<Job> doomed;  // destroyed after the lock is released: its destructor may post
    {
        const std::lock_guard lock(mutex_);
        doomed = queue_.cancel(id);
    }
    if (doomed) {
        rearmWakeTimer();
    }
}

void QtApplication::runDue() {
    // Only what was queued and due when the turn began runs now; a job that queues another
    // for now gets it on a later turn, after the events that arrived meanwhile.
    std::uint64_t newest = 0;
    {
        const std::lock_guard lock(mutex_);
        newest = queue_.lastSequence();
    }
    const TimePoint now = clock_.now();
    for (;;) {
        std::optional<Job> job;
        {
            const std::lock_guard lock(mutex_);
            job = queue_.popDue(now, newest);
        }
        if (!job) {
            break;
        }
        (*job)();
    }
    rearmWakeTimer();
}

void QtApplication::rearmWakeTimer() {
    if (!wakeTimer_) {
        return;
    }
    std::optional<TimePoint> next;
    {
        const std::lock_guard lock(mutex_);
        next = queue_.nextDeadline();
    }
    if (!next) {
        wakeTimer_->stop();
        return;
    }
    const auto wait = *next - clock_.now();
    // Round up, so the timer never fires just before its deadline and spins.
    const auto millis = std::chrono::ceil<std::chrono::milliseconds>(wait).count();
    const auto bounded =
        millis < 0
            ? 0
            : (millis > std::numeric_limits<int>::max() ? std::numeric_limits<int>::max() : millis);
    wakeTimer_->start(static_cast<int>(bounded));
}

bool QtApplication::isCurrent() const {
    return std::this_thread::get_id() == owner_;
}

void QtApplication::startBackgroundJob(Job work, Job done) {
    assertOnMainThread(*this);
    workers_.start([this, work = std::move(work), done = std::move(done)]() mutable {
        work();
        post(std::move(done));
    });
}

}  // namespace stowbar
