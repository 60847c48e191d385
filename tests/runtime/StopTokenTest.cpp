#include "runtime/StopToken.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace stowbar {
namespace {

struct Append {
    std::string* log;
    char mark;
    void operator()() const { *log += mark; }
};

TEST(StopToken, CallbacksRunOnceInOrderAndAtOnceWhenRegisteredAfterTheStop) {
    StopSource source;
    const StopToken token = source.get_token();
    std::string log;
    const StopCallback first(token, Append{&log, 'a'});
    std::optional<StopCallback<Append>> dropped;
    dropped.emplace(token, Append{&log, 'x'});
    const StopCallback second(token, Append{&log, 'b'});
    dropped.reset();
    EXPECT_FALSE(token.stop_requested());
    EXPECT_EQ(log, "");

    EXPECT_TRUE(source.request_stop());
    EXPECT_EQ(log, "ab");
    EXPECT_FALSE(source.request_stop());
    EXPECT_EQ(log, "ab");
    EXPECT_TRUE(token.stop_requested());

    const StopCallback late(token, Append{&log, 'c'});
    EXPECT_EQ(log, "abc");
    EXPECT_FALSE(StopToken().stop_requested());
}

TEST(StopToken, ACallbackMayDropAnotherThatHasNotRunYet) {
    StopSource source;
    std::string log;
    std::optional<StopCallback<Append>> later;
    auto dropLater = [&later] {
        later.reset();
    };
    const StopCallback<decltype(dropLater)> first(source.get_token(), dropLater);
    later.emplace(source.get_token(), Append{&log, 'x'});
    source.request_stop();
    EXPECT_EQ(log, "");
}

}  // namespace
}  // namespace stowbar
