#include "adapters/qt/QtApplication.hpp"

#include "adapters/qt/QtPlatformChoice.hpp"

#include <QApplication>
#include <QMetaObject>
#include <QTimer>
#include <chrono>
#include <limits>

namespace stowbar {

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
    signals_.reset();
    wakeTimer_.reset();
    contextObject_.reset();
    application_.reset();
}

void QtApplication::run(ApplicationDelegate& delegate) {
    chooseQtPlatform();
    if (!application_) {
        // The program writes nothing but its report: Qt's own notes about the machine (a
        // runtime directory it chose, a platform without a tray) are dropped. A fatal error
        // still ends the process, as Qt decides after the handler returns.
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
        application_ = std::make_unique<QApplication>(applicationArgc, applicationArgv);
        // The program lives in the menu bar; closing its popup must not end it.
        QApplication::setQuitOnLastWindowClosed(false);
        contextObject_ = std::make_unique<QObject>();
        wakeTimer_ = std::make_unique<QTimer>();
        wakeTimer_->setSingleShot(true);
        wakeTimer_->setTimerType(Qt::PreciseTimer);
        QObject::connect(wakeTimer_.get(), &QTimer::timeout, contextObject_.get(),
                         [this] { runDueTimers(); });
        signals_->listen([this] { terminate(); });
        context_.store(contextObject_.get());
    }
    running_ = true;
    // Jobs posted before the loop existed run first, on the loop's first turns.
    QMetaObject::invokeMethod(
        contextObject_.get(), [this] { drainPosted(); }, Qt::QueuedConnection);
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
}

void QtApplication::terminate() {
    terminateRequested_ = true;
    if (running_) {
        QCoreApplication::quit();
    }
}

void QtApplication::post(Job job) {
    bool first = false;
    {
        const std::lock_guard lock(postedMutex_);
        first = posted_.empty();
        posted_.push_back(std::move(job));
    }
    // One queued drain serves every job posted before it runs.
    if (QObject* context = context_.load(); first && context != nullptr) {
        QMetaObject::invokeMethod(
            context, [this] { drainPosted(); }, Qt::QueuedConnection);
    }
}

void QtApplication::drainPosted() {
    std::vector<Job> jobs;
    {
        const std::lock_guard lock(postedMutex_);
        jobs.swap(posted_);
    }
    for (auto& job : jobs) {
        job();
    }
}

TimerId QtApplication::postAt(TimePoint deadline, Job job) {
    const Key key{deadline, ++lastSequence_};
    timers_.emplace(key, std::move(job));
    timerKeys_.emplace(key.sequence, key);
    if (timers_.begin()->first.sequence == key.sequence) {
        rearmWakeTimer();
    }
    return TimerId{key.sequence};
}

void QtApplication::cancel(TimerId id) {
    const auto found = timerKeys_.find(id.value);
    if (found == timerKeys_.end()) {
        return;
    }
    timers_.erase(found->second);
    timerKeys_.erase(found);
    rearmWakeTimer();
}

void QtApplication::runDueTimers() {
    // Only what is due now runs; a job that queues another for now gets it on a later turn.
    const TimePoint now = clock_.now();
    std::vector<Job> due;
    while (!timers_.empty() && timers_.begin()->first.deadline <= now) {
        auto first = timers_.begin();
        timerKeys_.erase(first->first.sequence);
        due.push_back(std::move(first->second));
        timers_.erase(first);
    }
    for (auto& job : due) {
        job();
    }
    rearmWakeTimer();
}

void QtApplication::rearmWakeTimer() {
    if (!wakeTimer_) {
        return;
    }
    if (timers_.empty()) {
        wakeTimer_->stop();
        return;
    }
    const auto wait = timers_.begin()->first.deadline - clock_.now();
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
    workers_.start([this, work = std::move(work), done = std::move(done)]() mutable {
        work();
        post(std::move(done));
    });
}

}  // namespace stowbar
