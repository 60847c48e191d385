// Termination signals on Linux: a handler that only writes one byte to a socket pair, whose
// other end the Qt loop watches, so a signal that arrives early waits in the socket until the
// loop runs. The signal mask is left alone: blocking the two signals (as a signal descriptor
// needs) would be inherited by every process the program starts (a D-Bus daemon libdbus
// launches, an opened URL's handler), which then could not be ended by them; and glibc's
// posix_spawn runs no fork handlers that could unblock them again. A caught signal goes back to
// its default action in a new program, so children get exactly what the program started with.

#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <array>
#include <atomic>
#include <cerrno>
#include <cstddef>
#include <functional>
#include <memory>
#include <utility>

#include "adapters/qt/TerminationSignals.hpp"

namespace stowbar {

namespace {

constexpr std::array<int, 2> kSignals{SIGINT, SIGTERM};

// The end the handler writes to; -1 while no object listens. The handler may run on any
// thread, so it reads this once, without a lock.
std::atomic<int> writeEnd{-1};

void onTerminationSignal(int) {
    const int saved = errno;
    const int descriptor = writeEnd.load();
    if (descriptor >= 0) {
        const char byte = 1;
        // The socket is non-blocking: when it is full, signals enough to end the loop are
        // already waiting in it.
        [[maybe_unused]] const auto written = ::write(descriptor, &byte, 1);
    }
    errno = saved;
}

}  // namespace

struct TerminationSignals::State {
    std::array<int, 2> pair{-1, -1};
    std::array<struct sigaction, kSignals.size()> previous{};
    bool installed = false;
    std::unique_ptr<QSocketNotifier> notifier;
    std::function<void()> onSignal;
};

TerminationSignals::TerminationSignals() : state_(std::make_unique<State>()) {
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, state_->pair.data()) !=
        0) {
        return;
    }
    writeEnd.store(state_->pair[1]);
    struct sigaction action {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    // Calls the signal interrupts elsewhere in the program carry on instead of failing.
    action.sa_flags = SA_RESTART;
    for (std::size_t index = 0; index < kSignals.size(); ++index) {
        sigaction(kSignals[index], &action, &state_->previous[index]);
    }
    state_->installed = true;
}

TerminationSignals::~TerminationSignals() {
    state_->notifier.reset();
    if (state_->installed) {
        for (std::size_t index = 0; index < kSignals.size(); ++index) {
            sigaction(kSignals[index], &state_->previous[index], nullptr);
        }
        writeEnd.store(-1);
    }
    for (const int descriptor : state_->pair) {
        if (descriptor >= 0) {
            close(descriptor);
        }
    }
}

void TerminationSignals::listen(std::function<void()> onSignal) {
    state_->onSignal = std::move(onSignal);
    if (state_->pair[0] < 0 || state_->notifier) {
        return;
    }
    state_->notifier = std::make_unique<QSocketNotifier>(state_->pair[0], QSocketNotifier::Read);
    QObject::connect(state_->notifier.get(), &QSocketNotifier::activated, state_->notifier.get(),
                     [state = state_.get()] {
                         // Every byte waiting is one signal; one request to end serves them all.
                         std::array<char, 64> bytes{};
                         while (::read(state->pair[0], bytes.data(), bytes.size()) > 0) {
                         }
                         if (state->onSignal) {
                             state->onSignal();
                         }
                     });
}

}  // namespace stowbar
