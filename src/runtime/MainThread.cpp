#include "runtime/MainThread.hpp"

#include <cstdio>
#include <cstdlib>

namespace stowbar::detail {

void failNotOnMainThread(const char* file, int line) {
    std::fprintf(stderr, "Stowbar: %s:%d must run on the main thread but was called on another\n",
                 file, line);
    std::fflush(stderr);
    std::abort();
}

}  // namespace stowbar::detail
