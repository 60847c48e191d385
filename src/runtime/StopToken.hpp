#pragma once

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

namespace stowbar {

// Cooperative cancellation of a spawned task tree: one StopSource, any number of StopTokens
// that read it, and StopCallbacks that run when a stop is requested.
//
// The standard library's stop_source is not in the libc++ that Apple's compilers ship (it sits
// behind an experimental flag there), and a task tree never needs more than this: the names of
// the operations are the standard ones, so the code using them reads the same.
//
// Threading: main thread only, like the tasks that use it. Nothing here locks.
// Semantics: request_stop() runs each registered callback once, in registration order, and
// returns true only the first time. A callback constructed after the stop runs at once, inside
// its constructor. Destroying a callback before the stop unregisters it; a callback may destroy
// itself or another one while the callbacks run.
namespace detail {

class StopState {
  public:
    using Callback = void (*)(void* target) noexcept;

    bool requested() const { return requested_; }

    bool requestStop() {
        if (requested_) {
            return false;
        }
        requested_ = true;
        while (!waiting_.empty()) {
            const Entry entry = waiting_.front();
            waiting_.erase(waiting_.begin());
            entry.callback(entry.target);
        }
        return true;
    }

    void add(void* target, Callback callback) { waiting_.push_back(Entry{target, callback}); }
    void remove(const void* target) {
        std::erase_if(waiting_, [target](const Entry& entry) { return entry.target == target; });
    }

  private:
    struct Entry {
        void* target;
        Callback callback;
    };
    bool requested_ = false;
    std::vector<Entry> waiting_;
};

}  // namespace detail

class StopToken {
  public:
    StopToken() = default;

    bool stop_requested() const { return state_ && state_->requested(); }

  private:
    friend class StopSource;
    template <typename F>
    friend class StopCallback;
    explicit StopToken(std::shared_ptr<detail::StopState> state) : state_(std::move(state)) {}

    std::shared_ptr<detail::StopState> state_;
};

class StopSource {
  public:
    StopSource() : state_(std::make_shared<detail::StopState>()) {}

    StopToken get_token() const { return StopToken(state_); }
    bool stop_requested() const { return state_->requested(); }
    // True if this call made the request, false if a stop was already requested.
    bool request_stop() { return state_->requestStop(); }

  private:
    std::shared_ptr<detail::StopState> state_;
};

// Runs `callback` once when the token's source is stopped, or at once when it already was.
// Neither copied nor moved: the source refers to it by address until it runs or is destroyed.
template <typename F>
class StopCallback {
  public:
    StopCallback(const StopToken& token, F callback) : callback_(std::move(callback)) {
        if (!token.state_) {
            return;
        }
        if (token.state_->requested()) {
            callback_();
            return;
        }
        state_ = token.state_;
        state_->add(this, [](void* target) noexcept { static_cast<StopCallback*>(target)->run(); });
    }
    StopCallback(const StopCallback&) = delete;
    StopCallback& operator=(const StopCallback&) = delete;
    ~StopCallback() {
        if (state_) {
            state_->remove(this);
        }
    }

  private:
    void run() noexcept {
        state_.reset();
        callback_();
    }

    F callback_;
    std::shared_ptr<detail::StopState> state_;
};

}  // namespace stowbar
