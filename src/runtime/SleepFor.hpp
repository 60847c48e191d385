#pragma once

#include <coroutine>
#include <optional>
#include "runtime/StopToken.hpp"

#include "runtime/Clock.hpp"
#include "runtime/MainExecutor.hpp"
#include "runtime/Task.hpp"

namespace stowbar {

namespace detail {

class SleepAwaiter {
  public:
    explicit SleepAwaiter(Duration duration) : duration_(duration) {}
    SleepAwaiter(const SleepAwaiter&) = delete;
    SleepAwaiter& operator=(const SleepAwaiter&) = delete;
    ~SleepAwaiter() = default;

    bool await_ready() const noexcept { return false; }
    template <TaskPromiseType Promise>
    bool await_suspend(std::coroutine_handle<Promise> frame) {
        return suspend(frame.promise().tree(), frame);
    }
    bool await_resume() noexcept {
        stopWatch_.reset();
        return sleptFully_;
    }

  private:
    struct OnStop {
        SleepAwaiter* self;
        void operator()() const noexcept { self->wakeEarly(); }
    };

    bool suspend(TaskTree& tree, std::coroutine_handle<> frame);
    void wakeEarly() noexcept;

    Duration duration_;
    TaskTree* tree_ = nullptr;
    std::coroutine_handle<> frame_;
    TimerId timer_;
    bool sleptFully_ = false;
    std::optional<StopCallback<OnStop>> stopWatch_;
};

}  // namespace detail

// `bool slept = co_await sleepFor(duration);` inside a Task.
//
// Resumes the task on the main executor once the executor's clock reaches now + duration
// (saturating: an enormous duration means "until cancelled") and yields true. When the task is
// cancelled while sleeping, the timer is dropped and the task resumes early with false; that
// resume is posted, so it happens on a later turn and never inside TaskHandle::cancel(). A task
// already cancelled when the sleep begins gets false at once, without waiting. A task cancelled
// after its sleep has fired sees true and can look at its stop token.
inline detail::SleepAwaiter sleepFor(Duration duration) {
    return detail::SleepAwaiter{duration};
}

}  // namespace stowbar
