#include "runtime/BackgroundThreads.hpp"

#include <atomic>
#include <functional>
#include <memory>
#include <thread>
#include <utility>
#include <vector>

namespace stowbar {

BackgroundThreads::~BackgroundThreads() {
    joinAll();
}

void BackgroundThreads::start(std::function<void()> job) {
    joinEnded();
    auto ended = std::make_shared<std::atomic<bool>>(false);
    std::thread thread([job = std::move(job), ended]() mutable {
        job();
        // Whatever the job captured is released here, on the worker, before the thread reports
        // that it has ended.
        job = nullptr;
        ended->store(true, std::memory_order_release);
    });
    workers_.push_back(Worker{std::move(thread), std::move(ended)});
}

void BackgroundThreads::joinAll() {
    for (Worker& worker : workers_) {
        worker.thread.join();
    }
    workers_.clear();
}

void BackgroundThreads::joinEnded() {
    std::erase_if(workers_, [](Worker& worker) {
        if (!worker.ended->load(std::memory_order_acquire)) {
            return false;
        }
        // The job has returned; joining only waits for the thread itself to exit.
        worker.thread.join();
        return true;
    });
}

}  // namespace stowbar
