#pragma once

#include <string>

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

    explicit FlockInstanceLock(std::string path) : path_(std::move(path)) {}
    ~FlockInstanceLock() override;
    FlockInstanceLock(const FlockInstanceLock&) = delete;
    FlockInstanceLock& operator=(const FlockInstanceLock&) = delete;

    // Creates the file's directory (private to the user) when it is missing.
    InstanceLockResult acquire() override;

  private:
    std::string path_;
    int descriptor_ = -1;
};

}  // namespace stowbar
