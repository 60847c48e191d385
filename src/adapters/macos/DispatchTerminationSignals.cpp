// Termination signals on macOS: caught by a handler that does nothing, and heard through
// dispatch signal sources on the main queue, which the Qt loop drains as part of its run loop.
// The sources exist from construction on, so a signal that arrives before listen() is kept as
// pending and delivered from
// listen() itself.

#include <dispatch/dispatch.h>
#include <signal.h>

#include <array>
#include <utility>

#include "adapters/qt/TerminationSignals.hpp"

namespace stowbar {

struct TerminationSignals::State {
    std::array<dispatch_source_t, 2> sources{};
    std::function<void()> onSignal;
    bool pending = false;
};

namespace {

void deliver(void* context) {
    auto* state = static_cast<TerminationSignals::State*>(context);
    if (state->onSignal) {
        state->onSignal();
    } else {
        state->pending = true;
    }
}

}  // namespace

TerminationSignals::TerminationSignals() : state_(std::make_unique<State>()) {
    const std::array<int, 2> numbers{SIGINT, SIGTERM};
    for (std::size_t index = 0; index < numbers.size(); ++index) {
        // The source only hears the signal; without a handler its default action would still
        // end the process. Caught rather than ignored: an ignored signal stays ignored in the
        // programs the process starts, which then could not be ended by it.
        struct sigaction action {};
        action.sa_handler = [](int) {
        };
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        sigaction(numbers[index], &action, nullptr);
        dispatch_source_t source = dispatch_source_create(DISPATCH_SOURCE_TYPE_SIGNAL,
                                                          static_cast<uintptr_t>(numbers[index]), 0,
                                                          dispatch_get_main_queue());
        if (source == nullptr) {
            continue;
        }
        dispatch_set_context(source, state_.get());
        dispatch_source_set_event_handler_f(source, deliver);
        dispatch_resume(source);
        state_->sources[index] = source;
    }
}

TerminationSignals::~TerminationSignals() {
    // Both the handler and this destructor run on the main thread, so once cancelled no
    // handler can still be using the state.
    for (dispatch_source_t source : state_->sources) {
        if (source != nullptr) {
            dispatch_source_cancel(source);
            dispatch_release(source);
        }
    }
}

void TerminationSignals::listen(std::function<void()> onSignal) {
    state_->onSignal = std::move(onSignal);
    if (state_->pending && state_->onSignal) {
        state_->pending = false;
        state_->onSignal();
    }
}

}  // namespace stowbar
