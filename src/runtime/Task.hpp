#pragma once

#include <concepts>
#include <coroutine>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <optional>
#include <type_traits>
#include <utility>
#include "runtime/StopToken.hpp"

#include "runtime/MainExecutor.hpp"

namespace stowbar {

// Task<T>: a coroutine that runs on the main executor and produces a T.
//
// Starting: a Task is lazy. It does nothing until it is either awaited by another Task
// (`T value = co_await child(...);`) or handed to spawn() (see Spawn.hpp), which starts it on a
// later turn of the loop.
// Threading: every part of a task runs on the main thread. The awaiters of the runtime
// (sleepFor, runInBackground) resume it through MainExecutor jobs, so tasks interleave only at
// co_await and need no locks.
// Cancellation: a spawned task and every Task it awaits share one StopToken, reachable
// with `co_await currentStopToken()`. Stopping is cooperative: sleepFor ends early, and the task
// decides what to do next.
// Errors: exceptions are not used for control flow. An exception escaping a task terminates the
// program.
// Lifetime: a Task owns its coroutine frame; destroying an unstarted or suspended Task destroys
// the frame and the locals in it. A spawned tree is kept alive by the executor job that will
// resume it, so it is destroyed with that job if the executor goes away first.
//
// Parameters: coroutines take their parameters BY VALUE. A reference parameter, or a lambda
// coroutine that captures, refers to storage that is gone by the time the task runs. Pass
// std::weak_ptr to owners and lock it again after every co_await, since the owner may be gone
// by the time the task resumes:
//
//     Task<void> refreshLater(std::weak_ptr<Owner> weakOwner) {
//         if (!co_await sleepFor(delay)) co_return;
//         auto owner = weakOwner.lock();
//         if (!owner) co_return;
//         owner->refresh();
//     }
//
// Plain callbacks handed to the platform or to the executor hold their owner the same way: they
// capture a std::weak_ptr and call the owner only if locking it succeeds.
template <typename T = void>
class Task;

namespace detail {

// What a task handle observes: shared by the TaskHandle and the running tree.
struct TaskStatus {
    StopSource stopSource;
    bool finished = false;
};

// One spawned task and everything it awaits. Owns the root coroutine frame; whoever is going to
// resume a frame of the tree next (a queued job, a worker's result) holds a strong reference, so
// a tree nobody can resume any more is destroyed instead of leaking.
class TaskTree : public std::enable_shared_from_this<TaskTree> {
  public:
    TaskTree(MainExecutor& executor, std::coroutine_handle<> root)
        : executor_(executor), status_(std::make_shared<TaskStatus>()), root_(root) {}
    TaskTree(const TaskTree&) = delete;
    TaskTree& operator=(const TaskTree&) = delete;
    ~TaskTree() {
        if (root_) {
            root_.destroy();
        }
    }

    MainExecutor& executor() const { return executor_; }
    StopToken stopToken() const { return status_->stopSource.get_token(); }
    const std::shared_ptr<TaskStatus>& status() const { return status_; }
    void markFinished() { status_->finished = true; }

    // A job that resumes `frame` and keeps the tree alive until it has run or been dropped.
    MainExecutor::Job resumer(std::coroutine_handle<> frame) {
        return [tree = shared_from_this(), frame] {
            frame.resume();
        };
    }

    void start() { root_.resume(); }

  private:
    MainExecutor& executor_;
    std::shared_ptr<TaskStatus> status_;
    std::coroutine_handle<> root_;
};

[[noreturn]] inline void failTaskMisuse(const char* what) {
    std::fprintf(stderr, "Stowbar: %s\n", what);
    std::fflush(stderr);
    std::abort();
}

class TaskPromiseBase {
  public:
    struct FinalAwaiter {
        bool await_ready() const noexcept { return false; }
        template <typename Promise>
        std::coroutine_handle<> await_suspend(std::coroutine_handle<Promise> frame) noexcept {
            TaskPromiseBase& promise = frame.promise();
            if (promise.continuation_) {
                return promise.continuation_;
            }
            // Only the root of a spawned tree has nobody waiting for it. Its frame stays
            // suspended here until the tree is released.
            if (promise.tree_ != nullptr) {
                promise.tree_->markFinished();
            }
            return std::noop_coroutine();
        }
        void await_resume() const noexcept {}
    };

    std::suspend_always initial_suspend() const noexcept { return {}; }
    FinalAwaiter final_suspend() const noexcept { return {}; }
    [[noreturn]] void unhandled_exception() const noexcept { std::terminate(); }

    TaskTree& tree() const {
        if (tree_ == nullptr) {
            failTaskMisuse("a Task ran without being spawned or awaited by a spawned Task");
        }
        return *tree_;
    }

    TaskTree* tree_ = nullptr;
    std::coroutine_handle<> continuation_;
};

template <typename Promise>
concept TaskPromiseType = std::derived_from<Promise, TaskPromiseBase>;

template <typename T>
class TaskPromise : public TaskPromiseBase {
  public:
    Task<T> get_return_object() noexcept;
    void return_value(T value) { result_.emplace(std::move(value)); }
    // NOLINTNEXTLINE(bugprone-unchecked-optional-access): taken once, after co_return.
    T takeResult() { return std::move(*result_); }

  private:
    std::optional<T> result_;
};

template <>
class TaskPromise<void> : public TaskPromiseBase {
  public:
    Task<void> get_return_object() noexcept;
    void return_void() const noexcept {}
    void takeResult() const noexcept {}
};

}  // namespace detail

template <typename T>
class [[nodiscard]] Task {
  public:
    using promise_type = detail::TaskPromise<T>;
    using Frame = std::coroutine_handle<promise_type>;

    Task(Task&& other) noexcept : frame_(std::exchange(other.frame_, {})) {}
    Task& operator=(Task&& other) noexcept {
        if (this != &other) {
            reset();
            frame_ = std::exchange(other.frame_, {});
        }
        return *this;
    }
    Task(const Task&) = delete;
    Task& operator=(const Task&) = delete;
    ~Task() { reset(); }

    // Awaiting starts the child at once (no turn of the loop is spent) in the awaiting task's
    // tree, and resumes the awaiting task when the child returns. Only an rvalue can be awaited:
    // a Task runs once.
    auto operator co_await() && noexcept { return Awaiter{frame_}; }

    // Hands the frame over to a spawned tree.
    Frame release() noexcept { return std::exchange(frame_, {}); }

  private:
    friend class detail::TaskPromise<T>;

    struct Awaiter {
        Frame child;
        bool await_ready() const noexcept { return false; }
        template <detail::TaskPromiseType Parent>
        std::coroutine_handle<> await_suspend(std::coroutine_handle<Parent> parent) noexcept {
            if (!child) {
                detail::failTaskMisuse("an empty (moved-from) Task was awaited");
            }
            child.promise().tree_ = parent.promise().tree_;
            child.promise().continuation_ = parent;
            return child;
        }
        T await_resume() { return child.promise().takeResult(); }
    };

    explicit Task(Frame frame) noexcept : frame_(frame) {}

    void reset() noexcept {
        if (frame_) {
            std::exchange(frame_, {}).destroy();
        }
    }

    Frame frame_;
};

namespace detail {

template <typename T>
Task<T> TaskPromise<T>::get_return_object() noexcept {
    return Task<T>{std::coroutine_handle<TaskPromise<T>>::from_promise(*this)};
}

inline Task<void> TaskPromise<void>::get_return_object() noexcept {
    return Task<void>{std::coroutine_handle<TaskPromise<void>>::from_promise(*this)};
}

// Awaiters that read the running task's tree without suspending.
struct CurrentStopTokenAwaiter {
    StopToken token;
    bool await_ready() const noexcept { return false; }
    template <TaskPromiseType Promise>
    bool await_suspend(std::coroutine_handle<Promise> frame) noexcept {
        token = frame.promise().tree().stopToken();
        return false;
    }
    StopToken await_resume() noexcept { return std::move(token); }
};

struct CurrentExecutorAwaiter {
    MainExecutor* executor = nullptr;
    bool await_ready() const noexcept { return false; }
    template <TaskPromiseType Promise>
    bool await_suspend(std::coroutine_handle<Promise> frame) noexcept {
        executor = &frame.promise().tree().executor();
        return false;
    }
    MainExecutor& await_resume() const noexcept { return *executor; }
};

}  // namespace detail

// `StopToken token = co_await currentStopToken();` inside a Task: the token of the spawned
// task this Task runs in. Does not suspend.
inline detail::CurrentStopTokenAwaiter currentStopToken() noexcept {
    return {};
}

// `MainExecutor& executor = co_await currentExecutor();` inside a Task. Does not suspend.
inline detail::CurrentExecutorAwaiter currentExecutor() noexcept {
    return {};
}

}  // namespace stowbar
