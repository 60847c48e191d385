#pragma once

#include <memory>

#include "runtime/MainExecutor.hpp"
#include "runtime/Task.hpp"

namespace stowbar {

// Observes and stops one spawned task.
//
// Threading: main thread only.
// Lifetime: dropping the handle neither cancels nor destroys the task; it runs on. A handle may
// outlive its task and its executor: cancel() then does nothing that matters.
class TaskHandle {
  public:
    TaskHandle() = default;

    // Requests a stop. Awaiters that watch the stop token react on a later turn of the loop
    // (sleepFor posts its early resume), never inside this call. Cancelling twice, or after the
    // task finished, does nothing.
    void cancel();

    bool isCancelled() const;
    // True once the task's body has returned. A task destroyed unfinished (its executor went
    // away first) never reports finished.
    bool isFinished() const;
    // False for a default-constructed handle.
    bool isValid() const { return status_ != nullptr; }

  private:
    friend TaskHandle spawn(MainExecutor& executor, Task<void> task);
    explicit TaskHandle(std::shared_ptr<detail::TaskStatus> status) : status_(std::move(status)) {}

    std::shared_ptr<detail::TaskStatus> status_;
};

// Starts `task` on a later turn of `executor`'s loop (never inline) and returns its handle. A
// task cancelled before that turn still starts, and sees the stop at its first sleepFor. Called
// on the main thread.
TaskHandle spawn(MainExecutor& executor, Task<void> task);

}  // namespace stowbar
