#include "adapters/posix/PosixApplication.hpp"

#include <poll.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

namespace stowbar {

namespace {

sigset_t terminationSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    return signals;
}

}  // namespace

PosixApplication::PosixApplication() {
    const sigset_t signals = terminationSignals();
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    signalDescriptor_ = signalfd(-1, &signals, SFD_CLOEXEC | SFD_NONBLOCK);
    wakeDescriptor_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
}

PosixApplication::~PosixApplication() {
    if (signalDescriptor_ >= 0) {
        close(signalDescriptor_);
    }
    if (wakeDescriptor_ >= 0) {
        close(wakeDescriptor_);
    }
}

void PosixApplication::run(ApplicationDelegate& delegate) {
    delegate.applicationDidFinishLaunching();
    pollfd watched[] = {{signalDescriptor_, POLLIN, 0}, {wakeDescriptor_, POLLIN, 0}};
    for (;;) {
        const int ready = poll(watched, 2, -1);
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        // Consume what woke us so that a delivered signal does not stay pending. Any
        // readiness, and any failure of poll itself, ends the loop: waiting on would leave a
        // process that cannot be stopped cleanly.
        if (watched[0].revents != 0) {
            signalfd_siginfo info{};
            [[maybe_unused]] const auto read = ::read(signalDescriptor_, &info, sizeof info);
        }
        break;
    }
    delegate.applicationWillTerminate();
}

void PosixApplication::terminate() {
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto written = write(wakeDescriptor_, &one, sizeof one);
}

}  // namespace stowbar
