#include "runtime/Spawn.hpp"

#include <memory>
#include <utility>

#include "runtime/MainExecutor.hpp"
#include "runtime/MainThread.hpp"
#include "runtime/Task.hpp"

namespace stowbar {

void TaskHandle::cancel() {
    if (status_) {
        status_->stopSource.request_stop();
    }
}

bool TaskHandle::isCancelled() const {
    return status_ && status_->stopSource.stop_requested();
}

bool TaskHandle::isFinished() const {
    return status_ && status_->finished;
}

TaskHandle spawn(MainExecutor& executor, Task<void> task) {
    assertOnMainThread(executor);
    Task<void>::Frame root = task.release();
    if (!root) {
        detail::failTaskMisuse("an empty (moved-from) Task was spawned");
    }
    auto tree = std::make_shared<detail::TaskTree>(executor, root);
    root.promise().tree_ = tree.get();
    TaskHandle handle(tree->status());
    executor.post([tree = std::move(tree)] { tree->start(); });
    return handle;
}

}  // namespace stowbar
