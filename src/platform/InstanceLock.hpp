#pragma once

#include <cstdint>

namespace stowbar {

// What became of an attempt to be the one running menu bar application of this user.
enum class InstanceLockResult : std::uint8_t {
    // This process holds the lock until it ends.
    acquired,
    // Another running process holds it.
    heldByAnotherProcess,
    // No lock could be made (no place to put it, a file system without locks); whether another
    // instance runs is unknown.
    unavailable,
};

// The lock that keeps a user from running two menu bar applications side by side (autostart
// plus a manual start would show two identical items and two panels). The diagnostics report
// never takes it.
//
// Threading: main thread only, once, before the event loop runs. Lifetime: the lock is held
// until the object is destroyed or the process ends, whichever comes first; a process that
// ends without releasing it (a crash, a kill) leaves nothing that blocks the next start.
class InstanceLock {
  public:
    virtual ~InstanceLock() = default;
    virtual InstanceLockResult acquire() = 0;
};

}  // namespace stowbar
