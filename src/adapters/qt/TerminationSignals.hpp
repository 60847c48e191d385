#pragma once

#include <functional>
#include <memory>

namespace stowbar {

// SIGINT and SIGTERM as requests to end the application's event loop, delivered on the main
// thread instead of ending the process wherever they land.
//
// Construct it on the main thread before any other thread starts: from then on the two signals
// no longer end the process by themselves. listen() needs the Qt application object; it then
// calls `onSignal` on the main thread, on a turn of the loop, for the signals that arrive. A
// signal that came before listen() is not lost: it is delivered on the loop's first turns, or
// from within listen() itself. The signals are caught, never blocked nor ignored, so processes
// the program starts get the mask and the default actions it was started with, and these
// signals end them as usual.
//
// Each system has its own source file: a handler writing to a socket pair that the loop
// watches on Linux, a dispatch signal source on the main queue on macOS.
//
// Threading: main thread only. Destroy it before the Qt application object.
class TerminationSignals {
  public:
    TerminationSignals();
    ~TerminationSignals();
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

    void listen(std::function<void()> onSignal);

    // What the system's callbacks reach; defined by each system's source file.
    struct State;

  private:
    std::unique_ptr<State> state_;
};

}  // namespace stowbar
