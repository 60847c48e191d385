#pragma once

#include <coroutine>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

#include "runtime/MainExecutor.hpp"
#include "runtime/Task.hpp"

namespace stowbar {

namespace detail {

template <typename Result>
class CallbackAwaiter {
  public:
    using Completion = std::function<void(Result)>;
    using Starter = std::function<void(Completion)>;

    explicit CallbackAwaiter(Starter start)
        : start_(std::move(start)), result_(std::make_shared<std::optional<Result>>()) {}

    bool await_ready() const noexcept { return false; }

    template <TaskPromiseType Promise>
    void await_suspend(std::coroutine_handle<Promise> frame) {
        TaskTree& tree = frame.promise().tree();
        MainExecutor& executor = tree.executor();
        // The completion keeps the task's tree alive until it has been called; a completion
        // that is dropped without being called releases the tree and with it the task.
        start_([&executor, result = result_, resume = tree.resumer(frame)](Result value) mutable {
            result->emplace(std::move(value));
            executor.post(std::move(resume));
        });
    }

    // NOLINTNEXTLINE(bugprone-unchecked-optional-access): set by the completion.
    Result await_resume() { return std::move(**result_); }

  private:
    Starter start_;
    std::shared_ptr<std::optional<Result>> result_;
};

}  // namespace detail

// `Result r = co_await awaitCallback<Result>([](auto done) { port.request(done); });`
//
// Starts a callback-style request and suspends the task until its completion is called, on
// any thread, exactly once; the task then resumes on the main executor, on a later turn.
// The executor must outlive the request.
template <typename Result>
detail::CallbackAwaiter<Result> awaitCallback(
    typename detail::CallbackAwaiter<Result>::Starter start) {
    return detail::CallbackAwaiter<Result>(std::move(start));
}

}  // namespace stowbar
