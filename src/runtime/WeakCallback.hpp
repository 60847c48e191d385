#pragma once

#include <functional>
#include <memory>
#include <utility>

namespace stowbar {

// Wraps `callback` so that it is called with the owner while the owner lives, and does nothing
// once the owner is gone. Callbacks handed to the platform or to the executor hold their owner
// this way, so they never keep it alive and never reach it after its destruction.
//
// Threading: call the result on the thread that owns `T` (normally the main thread).
//
// Tasks follow the same pattern by hand, because a coroutine takes parameters by value and may
// sleep across the owner's destruction:
//
//     Task<void> refreshLater(std::weak_ptr<Owner> weakOwner) {
//         if (!co_await sleepFor(delay)) co_return;
//         auto owner = weakOwner.lock();   // lock again after every co_await
//         if (!owner) co_return;
//         owner->refresh();
//     }
template <typename T, typename F>
auto bindWeak(std::weak_ptr<T> owner, F callback) {
    return [owner = std::move(owner), callback = std::move(callback)](auto&&... args) mutable {
        if (std::shared_ptr<T> self = owner.lock()) {
            std::invoke(callback, *self, std::forward<decltype(args)>(args)...);
        }
    };
}

}  // namespace stowbar
