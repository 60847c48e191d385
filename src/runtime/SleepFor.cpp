#include "runtime/SleepFor.hpp"
#include "runtime/Clock.hpp"
#include "runtime/MainExecutor.hpp"
#include "runtime/StopToken.hpp"
#include "runtime/Task.hpp"

#include <coroutine>

namespace stowbar::detail {

bool SleepAwaiter::suspend(TaskTree& tree, std::coroutine_handle<> frame) {
    const StopToken token = tree.stopToken();
    if (token.stop_requested()) {
        sleptFully_ = false;
        return false;
    }
    tree_ = &tree;
    frame_ = frame;
    MainExecutor& executor = tree.executor();
    const TimePoint deadline = deadlineAfter(executor.clock().now(), duration_);
    timer_ = executor.postAt(deadline, [this, resume = tree.resumer(frame)] {
        sleptFully_ = true;
        resume();
    });
    stopWatch_.emplace(token, OnStop{this});
    return true;
}

void SleepAwaiter::wakeEarly() noexcept {
    MainExecutor& executor = tree_->executor();
    // Post the early resume before dropping the timer: the timer job may hold the last
    // reference to this frame, and the new job must own it first.
    executor.post([this, resume = tree_->resumer(frame_)] {
        sleptFully_ = false;
        resume();
    });
    executor.cancel(timer_);
}

}  // namespace stowbar::detail
