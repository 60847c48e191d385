#pragma once

#include "platform/Application.hpp"

namespace stowbar::test {

// An event loop that launches the delegate and terminates it at once, counting runs.
struct FakeApplication final : Application {
    int runs = 0;
    void run(ApplicationDelegate& delegate) override {
        ++runs;
        delegate.applicationDidFinishLaunching();
        delegate.applicationWillTerminate();
    }
    void terminate() override {}
};

}  // namespace stowbar::test
