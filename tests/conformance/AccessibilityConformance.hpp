#pragma once

// One suite for every Accessibility: what platform/Accessibility.hpp promises of elements,
// requests and threads, whether or not this process is trusted.
//
// Its harness has
//     Accessibility& accessibility();

#include <gtest/gtest.h>

#include <cstdint>
#include <thread>
#include <vector>

#include "platform/Accessibility.hpp"

namespace stowbar::conformance {

template <class Harness>
class AccessibilityConformance : public ::testing::Test {
  protected:
    Harness harness;
};

TYPED_TEST_SUITE_P(AccessibilityConformance);

TYPED_TEST_P(AccessibilityConformance, AnElementOfAProcessThatIsGoneExistsButEveryRequestFails) {
    Accessibility& accessibility = this->harness.accessibility();
    // No system gives a process the largest pid there is.
    const AXElement element = accessibility.applicationElement(0x7FFFFFFF);
    ASSERT_NE(element, nullptr);
    const auto result = accessibility.copyAttributeValue(element, "AXExtrasMenuBar");
    EXPECT_NE(result.error, kAXErrorSuccess);
    EXPECT_FALSE(result.value.has_value());
    EXPECT_NE(accessibility.performAction(element, "AXPress"), kAXErrorSuccess);
}

TYPED_TEST_P(AccessibilityConformance, TakesRequestsFromSeveralThreadsAtOnce) {
    Accessibility& accessibility = this->harness.accessibility();
    const bool trusted = accessibility.isProcessTrusted();
    std::vector<std::thread> threads;
    // One whole int per thread: a vector<bool> would pack them into shared words.
    std::vector<int> agreed(4, 0);
    for (std::size_t i = 0; i < agreed.size(); ++i) {
        threads.emplace_back([&, i] {
            bool same = true;
            for (int round = 0; round < 50; ++round) {
                const auto element = accessibility.applicationElement(
                    static_cast<std::int32_t>(static_cast<int>(i) + round + 1));
                accessibility.setMessagingTimeout(element, 0.1f);
                accessibility.copyAttributeValue(element, "AXExtrasMenuBar");
                accessibility.windowNumberFunction();
                same = same && accessibility.isProcessTrusted() == trusted;
            }
            agreed[i] = same ? 1 : 0;
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(agreed, std::vector<int>(agreed.size(), 1));
}

REGISTER_TYPED_TEST_SUITE_P(AccessibilityConformance,
                            AnElementOfAProcessThatIsGoneExistsButEveryRequestFails,
                            TakesRequestsFromSeveralThreadsAtOnce);

}  // namespace stowbar::conformance
