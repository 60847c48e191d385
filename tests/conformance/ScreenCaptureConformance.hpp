#pragma once

// One suite for every ScreenCapture: the completions promised by platform/ScreenCapture.hpp.
//
// Its harness has
//     ScreenCapture& capture();
//     bool permitted();   // whether this process may record the screen

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/ScreenCapture.hpp"

namespace stowbar::conformance {

// Counts completions, which may arrive on any thread, and waits for the first.
template <class Value>
class Completions {
  public:
    std::function<void(std::optional<Value>)> callback() {
        return [this](std::optional<Value> value) {
            const std::lock_guard lock(mutex_);
            ++count_;
            value_ = std::move(value);
            changed_.notify_all();
        };
    }
    // The first completion's value; the wait is bounded only to keep a broken one from hanging.
    std::optional<Value> wait() {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, std::chrono::seconds(10), [this] { return count_ > 0; });
        return value_;
    }
    int count() {
        const std::lock_guard lock(mutex_);
        return count_;
    }

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    int count_ = 0;
    std::optional<Value> value_;
};

template <class Harness>
class ScreenCaptureConformance : public ::testing::Test {
  protected:
    Harness harness;
};

TYPED_TEST_SUITE_P(ScreenCaptureConformance);

TYPED_TEST_P(ScreenCaptureConformance, EachRequestCompletesOnceAndWithNothingWithoutPermission) {
    ScreenCapture& capture = this->harness.capture();
    Completions<std::vector<ShareableWindow>> content;
    capture.getShareableContent(content.callback());
    const auto windows = content.wait();
    EXPECT_EQ(windows.has_value(), this->harness.permitted());

    // No system numbers its windows up to the largest number there is.
    Completions<Bitmap> picture;
    CaptureConfiguration configuration;
    configuration.width = 20;
    configuration.height = 20;
    capture.captureImage(ShareableWindow{0xFFFFFFFFu}, configuration, picture.callback());
    EXPECT_FALSE(picture.wait().has_value()) << "a window that is not there gives nothing";
    EXPECT_EQ(content.count(), 1);
    EXPECT_EQ(picture.count(), 1);
}

REGISTER_TYPED_TEST_SUITE_P(ScreenCaptureConformance,
                            EachRequestCompletesOnceAndWithNothingWithoutPermission);

}  // namespace stowbar::conformance
