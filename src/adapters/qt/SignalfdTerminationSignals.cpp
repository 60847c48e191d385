// Termination signals on Linux: blocked for every thread and read from a signal descriptor that
// the Qt loop watches, so a signal that arrives early waits in the descriptor until the loop runs.

#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <functional>
#include <memory>
#include <utility>

#include "adapters/qt/TerminationSignals.hpp"

namespace stowbar {

struct TerminationSignals::State {
    int descriptor = -1;
    std::unique_ptr<QSocketNotifier> notifier;
    std::function<void()> onSignal;
};

TerminationSignals::TerminationSignals() : state_(std::make_unique<State>()) {
    sigset_t blocked;
    sigemptyset(&blocked);
    sigaddset(&blocked, SIGINT);
    sigaddset(&blocked, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &blocked, nullptr);
    state_->descriptor = signalfd(-1, &blocked, SFD_CLOEXEC | SFD_NONBLOCK);
}

TerminationSignals::~TerminationSignals() {
    state_->notifier.reset();
    if (state_->descriptor >= 0) {
        close(state_->descriptor);
    }
}

void TerminationSignals::listen(std::function<void()> onSignal) {
    state_->onSignal = std::move(onSignal);
    if (state_->descriptor < 0 || state_->notifier) {
        return;
    }
    state_->notifier = std::make_unique<QSocketNotifier>(state_->descriptor, QSocketNotifier::Read);
    QObject::connect(state_->notifier.get(), &QSocketNotifier::activated, state_->notifier.get(),
                     [state = state_.get()] {
                         signalfd_siginfo info{};
                         [[maybe_unused]] const auto consumed =
                             ::read(state->descriptor, &info, sizeof info);
                         if (state->onSignal) {
                             state->onSignal();
                         }
                     });
}

}  // namespace stowbar
