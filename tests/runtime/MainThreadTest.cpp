#include "runtime/MainThread.hpp"

#include <gtest/gtest.h>

#include <thread>

#include "runtime/ManualExecutor.hpp"

namespace stowbar {
namespace {

TEST(AssertOnMainThreadDeathTest, AbortsWithAClearMessageOnAnotherThread) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            ManualExecutor executor;
            std::thread([&executor] { assertOnMainThread(executor); }).join();
        },
        "MainThreadTest.cpp:[0-9]+ must run on the main thread");
}

}  // namespace
}  // namespace stowbar
