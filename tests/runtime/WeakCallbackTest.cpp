#include "runtime/WeakCallback.hpp"

#include <gtest/gtest.h>

#include <memory>

namespace stowbar {
namespace {

struct Counter {
    int value = 0;
    void add(int amount) { value += amount; }
};

TEST(BindWeak, CallsTheOwnerWhileItLivesAndNothingAfterwards) {
    auto owner = std::make_shared<Counter>();
    auto callback = bindWeak(std::weak_ptr(owner), &Counter::add);
    callback(2);
    callback(3);
    EXPECT_EQ(owner->value, 5);
    EXPECT_EQ(owner.use_count(), 1);  // the callback does not keep it alive
    owner.reset();
    callback(7);  // must not touch freed memory
}

}  // namespace
}  // namespace stowbar
