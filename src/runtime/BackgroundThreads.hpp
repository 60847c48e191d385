#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

namespace stowbar {

// Runs jobs on threads of their own and joins every one of them, so no thread outlives its
// owner. A building block for MainExecutor::startBackgroundJob; the program runs at most a
// handful of background jobs at a time, so a thread per job costs nothing worth pooling.
//
// Threading: start() and joinAll() are called by one thread, the owner's. The job runs on the
// new thread and must not throw.
// Lifetime: the destructor waits for every job still running. Threads whose jobs have ended are
// joined the next time start() is called.
class BackgroundThreads {
  public:
    BackgroundThreads() = default;
    BackgroundThreads(const BackgroundThreads&) = delete;
    BackgroundThreads& operator=(const BackgroundThreads&) = delete;
    ~BackgroundThreads();

    void start(std::function<void()> job);

    // Waits for every job that has been started to end.
    void joinAll();

  private:
    struct Worker {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> ended;
    };

    void joinEnded();

    std::vector<Worker> workers_;
};

}  // namespace stowbar
