#pragma once

#include <concepts>
#include <coroutine>
#include <functional>
#include <memory>
#include <optional>
#include <type_traits>
#include <utility>

#include "runtime/MainExecutor.hpp"
#include "runtime/Task.hpp"

namespace stowbar {

namespace detail {

template <typename Work>
class BackgroundAwaiter {
  public:
    using Result = std::invoke_result_t<Work&>;

    explicit BackgroundAwaiter(Work work) : call_(std::make_shared<Call>(std::move(work))) {}

    bool await_ready() const noexcept { return false; }
    template <TaskPromiseType Promise>
    void await_suspend(std::coroutine_handle<Promise> frame) {
        TaskTree& tree = frame.promise().tree();
        tree.executor().startBackgroundJob([call = call_] { call->run(); }, tree.resumer(frame));
    }
    Result await_resume() {
        if constexpr (!std::is_void_v<Result>) {
            // NOLINTNEXTLINE(bugprone-unchecked-optional-access): the job has run.
            return std::move(*call_->result);
        }
    }

  private:
    struct Empty {};
    struct Call {
        explicit Call(Work w) : work(std::move(w)) {}
        void run() {
            if constexpr (std::is_void_v<Result>) {
                // NOLINTNEXTLINE(bugprone-unchecked-optional-access): run() runs once.
                std::invoke(*work);
            } else {
                // NOLINTNEXTLINE(bugprone-unchecked-optional-access): run() runs once.
                result.emplace(std::invoke(*work));
            }
            // The callable and its arguments end on the worker that used them.
            work.reset();
        }
        std::optional<Work> work;
        std::optional<std::conditional_t<std::is_void_v<Result>, Empty, Result>> result;
    };

    std::shared_ptr<Call> call_;
};

}  // namespace detail

// `R result = co_await runInBackground(fn, args...);` inside a Task.
//
// Runs fn(args...) once on a worker thread and resumes the task on the main executor with the
// result. The callable and the arguments are taken by value, used and destroyed on the worker;
// the result is moved to the main thread. They must share nothing with the main thread: copy in
// what the job reads, return what it found. The job must not throw.
// The job is not cancelled with the task: a task cancelled meanwhile still waits for its result
// (the executor counts the job as outstanding until then).
template <typename F, typename... Args>
requires std::invocable<F, Args...>
auto runInBackground(F fn, Args... args) {
    auto bound = [fn = std::move(fn), ... args = std::move(args)]() mutable {
        return std::invoke(std::move(fn), std::move(args)...);
    };
    return detail::BackgroundAwaiter<decltype(bound)>(std::move(bound));
}

}  // namespace stowbar
