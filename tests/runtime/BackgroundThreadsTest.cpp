#include "runtime/BackgroundThreads.hpp"

#include <gtest/gtest.h>

#include <atomic>

namespace stowbar {
namespace {

TEST(BackgroundThreads, DestructionWaitsForEveryJob) {
    std::atomic<int> finished = 0;
    {
        BackgroundThreads threads;
        for (int i = 0; i < 20; ++i) {
            threads.start([&finished] { finished.fetch_add(1); });
        }
    }
    EXPECT_EQ(finished.load(), 20);
}

}  // namespace
}  // namespace stowbar
