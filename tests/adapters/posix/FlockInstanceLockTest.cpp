#include "adapters/posix/FlockInstanceLock.hpp"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <utility>

#include "platform/InstanceLock.hpp"
#include "support/Golden.hpp"
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

    // A lock that cannot be made says where it was looked for and why, in one line.
    directory.write("file", {});
    const auto underFile = (directory.path() / "file" / "x.lock").string();
    const std::pair<std::string, std::string> unusable[] = {
        {"", "no runtime or cache directory is known"},
        {underFile, underFile + ": Not a directory"},
        {(directory.path() / "file" / "sub" / "x.lock").string(),
         (directory.path() / "file" / "sub" / "x.lock").string() + ": Not a directory"},
    };
    for (const auto& [where, why] : unusable) {
        SCOPED_TRACE(where);
        std::ostringstream complaints;
        FlockInstanceLock lock(where, &complaints);
        EXPECT_EQ(lock.acquire(), InstanceLockResult::unavailable);
        EXPECT_EQ(complaints.str(), "stowbar: cannot lock out a second instance (" + why +
                                        "); running without the lock\n");
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
    // "unset" leaves a variable out, "empty" sets it to nothing.
    test::expectGoldenTable("lock-paths.txt", [&](const std::string& line) {
        std::istringstream in(line);
        std::string values[3];
        for (auto& value : values) {
            in >> value;
            value = value == "empty" ? "" : value;
        }
        set("XDG_RUNTIME_DIR", values[0] == "unset" ? nullptr : values[0].c_str());
        set("XDG_CACHE_HOME", values[1] == "unset" ? nullptr : values[1].c_str());
        const std::string path = FlockInstanceLock::defaultPath(values[2]);
        return path.empty() ? std::string("none") : path;
    });
    set("XDG_RUNTIME_DIR", runtime ? runtime->c_str() : nullptr);
    set("XDG_CACHE_HOME", cache ? cache->c_str() : nullptr);
}

}  // namespace
}  // namespace stowbar
