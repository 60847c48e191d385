#include "adapters/posix/FlockInstanceLock.hpp"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <optional>

#include "platform/InstanceLock.hpp"
#include "support/TemporaryDirectory.hpp"

namespace stowbar {
namespace {

TEST(FlockInstanceLock, OneHolderAtATimeAndALeftoverFileBlocksNobody) {
    test::TemporaryDirectory directory;
    // The directory is made on the way, as ~/.cache may not exist yet.
    const auto path = (directory.path() / "cache" / "stowbar.lock").string();
    {
        FlockInstanceLock first(path);
        EXPECT_EQ(first.acquire(), InstanceLockResult::acquired);
        EXPECT_EQ(first.acquire(), InstanceLockResult::acquired) << "asking again changes nothing";
        FlockInstanceLock second(path);
        EXPECT_EQ(second.acquire(), InstanceLockResult::heldByAnotherProcess);
    }
    // The file of a holder that is gone is still there, unlocked, as after a crash.
    ASSERT_TRUE(std::filesystem::exists(path));
    FlockInstanceLock next(path);
    EXPECT_EQ(next.acquire(), InstanceLockResult::acquired);

    directory.write("file", {});
    for (const auto& unusable : {std::string(), (directory.path() / "file" / "x.lock").string()}) {
        SCOPED_TRACE(unusable);
        FlockInstanceLock lock(unusable);
        EXPECT_EQ(lock.acquire(), InstanceLockResult::unavailable);
    }
}

TEST(FlockInstanceLock, TheLockLivesInTheRuntimeDirectoryElseInTheCacheDirectory) {
    const auto saved = [](const char* name) -> std::optional<std::string> {
        const char* value = std::getenv(name);
        return value != nullptr ? std::optional<std::string>(value) : std::nullopt;
    };
    const auto runtime = saved("XDG_RUNTIME_DIR");
    const auto cache = saved("XDG_CACHE_HOME");
    const auto set = [](const char* name, const char* value) {
        if (value == nullptr) {
            unsetenv(name);
        } else {
            setenv(name, value, 1);
        }
    };
    struct Case {
        const char* runtime;
        const char* cache;
        const char* home;
        const char* path;
    };
    const Case cases[] = {
        {"/run/user/1000", "/c", "/home/u", "/run/user/1000/stowbar.lock"},
        {nullptr, "/c", "/home/u", "/c/stowbar.lock"},
        {nullptr, nullptr, "/home/u", "/home/u/.cache/stowbar.lock"},
        {"", "", "/home/u", "/home/u/.cache/stowbar.lock"},
        {"relative", "also/relative", "/home/u", "/home/u/.cache/stowbar.lock"},
        {nullptr, nullptr, "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        set("XDG_RUNTIME_DIR", c.runtime);
        set("XDG_CACHE_HOME", c.cache);
        EXPECT_EQ(FlockInstanceLock::defaultPath(c.home), c.path);
    }
    set("XDG_RUNTIME_DIR", runtime ? runtime->c_str() : nullptr);
    set("XDG_CACHE_HOME", cache ? cache->c_str() : nullptr);
}

}  // namespace
}  // namespace stowbar
