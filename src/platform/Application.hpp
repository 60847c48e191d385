#pragma once

#include "runtime/MainExecutor.hpp"

namespace stowbar {

// What the event loop tells the application object, on the main thread.
class ApplicationDelegate {
  public:
    virtual ~ApplicationDelegate() = default;
    virtual void applicationDidFinishLaunching() = 0;
    virtual void applicationWillTerminate() = 0;
};

// The application's event loop.
//
// Threading: run() and terminate() are called on the main thread only. run() delivers
// applicationDidFinishLaunching() once, as a job of the loop queued when run() starts (so after
// the jobs posted before it), then events, until termination is requested by terminate() or by
// the system (on POSIX, SIGINT and SIGTERM); it then delivers applicationWillTerminate() once
// and returns.
class Application {
  public:
    virtual ~Application() = default;

    virtual void run(ApplicationDelegate& delegate) = 0;

    // Asks the loop to end through the normal termination path. Calling it again, or before
    // run(), has no further effect than the first request.
    virtual void terminate() = 0;

    // The executor of the main thread this loop runs. It exists from construction on, before
    // run() and after it returned, so that the delegate can be built with it.
    virtual MainExecutor& mainExecutor() = 0;
};

}  // namespace stowbar
