#pragma once

#include <memory>
#include <utility>

namespace stowbar {

// A callback that holds its object weakly: calling it calls `f(object, arguments...)` while the
// object lives, and does nothing once it is gone. Callbacks handed to ports and executors
// outlive their owner; this keeps the owner from being kept alive by them, and keeps them from
// touching it after it died.
//
// Threading: the callback may be copied and called on any thread; the lock that checks the
// object is atomic. It calls `f` on the calling thread, so call it only on the thread that the
// object's methods require (for the application delegate, the main thread). The lock keeps the
// object alive for the length of the call: should its owner let go meanwhile, the object is
// destroyed when the call returns, on that thread.
template <typename T, typename F>
auto weakly(std::weak_ptr<T> object, F f) {
    return [object = std::move(object), f = std::move(f)](auto&&... arguments) {
        if (const std::shared_ptr<T> alive = object.lock()) {
            f(*alive, std::forward<decltype(arguments)>(arguments)...);
        }
    };
}

}  // namespace stowbar
