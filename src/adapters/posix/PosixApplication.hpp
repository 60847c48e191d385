#pragma once

#include "platform/Application.hpp"

namespace stowbar {

// A minimal event loop for a POSIX process without a toolkit: it launches the delegate, then
// waits until terminate() is called or SIGINT or SIGTERM arrives, and ends through the normal
// termination path.
//
// Construct it on the main thread before any other thread starts: the constructor blocks
// SIGINT and SIGTERM so that they are delivered to the loop instead of killing the process.
class PosixApplication final : public Application {
  public:
    PosixApplication();
    ~PosixApplication() override;
    PosixApplication(const PosixApplication&) = delete;
    PosixApplication& operator=(const PosixApplication&) = delete;

    void run(ApplicationDelegate& delegate) override;
    void terminate() override;

  private:
    int signalDescriptor_ = -1;
    int wakeDescriptor_ = -1;
};

}  // namespace stowbar
