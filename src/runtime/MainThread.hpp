#pragma once

#include "runtime/MainExecutor.hpp"

namespace stowbar {

namespace detail {
[[noreturn]] void failNotOnMainThread(const char* file, int line);
}  // namespace detail

// Stops the program with a clear message when called off the executor's thread. Being called
// on another thread is a programming error, so this checks in every build, not only in debug
// ones; the check is one thread-id comparison. The call site is reported through compiler
// builtins that both GCC and Clang provide (std::source_location is not available to Clang 14
// with this standard library).
inline void assertOnMainThread(const MainExecutor& executor, const char* file = __builtin_FILE(),
                               int line = __builtin_LINE()) {
    if (!executor.isCurrent()) [[unlikely]] {
        detail::failNotOnMainThread(file, line);
    }
}

}  // namespace stowbar
