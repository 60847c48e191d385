#pragma once

#include <iosfwd>
#include <string>
#include <utility>

#include "platform/InstanceLock.hpp"

namespace stowbar {

// InstanceLock as an advisory flock(2) on a file. The kernel drops the lock with the last
// descriptor of its holder, so a process that dies, however it dies, never leaves a stale lock:
// the file stays, unlocked. The descriptor is closed on exec, so programs started later do not
// inherit the lock.
class FlockInstanceLock final : public InstanceLock {
  public:
    // The lock file of the current user: "stowbar.lock" in $XDG_RUNTIME_DIR, or, where that is
    // not set, in the cache directory ($XDG_CACHE_HOME, else ~/.cache, under `home`); empty when
    // neither can be named.
    static std::string defaultPath(const std::string& home);

    // `complaints`, when given, hears of a lock that cannot be made (where and why) in one
    // line: the program then runs without it, and a second start would too.
    explicit FlockInstanceLock(std::string path, std::ostream* complaints = nullptr)
        : path_(std::move(path)), complaints_(complaints) {}
    ~FlockInstanceLock() override;
    FlockInstanceLock(const FlockInstanceLock&) = delete;
    FlockInstanceLock& operator=(const FlockInstanceLock&) = delete;

    // Creates the file's directory (private to the user) when it is missing.
    InstanceLockResult acquire() override;

  private:
    InstanceLockResult unavailable(const std::string& why);

    std::string path_;
    std::ostream* complaints_ = nullptr;
    int descriptor_ = -1;
};

}  // namespace stowbar
