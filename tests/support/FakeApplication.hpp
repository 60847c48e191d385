#pragma once

#include "platform/Application.hpp"
#include "runtime/ManualExecutor.hpp"

namespace stowbar::test {

// An event loop that launches the delegate on its first turn, runs what is queued for now, and
// terminates it once nothing is left to run, counting runs. Time stands still: timers never
// fire.
struct FakeApplication final : Application {
    int runs = 0;
    ManualExecutor executor;
    void run(ApplicationDelegate& delegate) override {
        ++runs;
        executor.post([&delegate] { delegate.applicationDidFinishLaunching(); });
        executor.runUntilIdle();
        delegate.applicationWillTerminate();
    }
    void terminate() override { ++terminations; }
    int terminations = 0;
    MainExecutor& mainExecutor() override { return executor; }
};

}  // namespace stowbar::test
