#include "adapters/posix/PosixSystemInfo.hpp"

#include <pwd.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "platform/SystemInfo.hpp"
#include "runtime/Clock.hpp"

namespace stowbar {

// Tilde expansion as POSIX shells do it: $HOME when set and non-empty, else the password
// database entry of the real user.
std::optional<std::string> PosixSystemInfo::homeDirectory() const {
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
        return std::string(home);
    }
    long suggested = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(suggested > 0 ? static_cast<std::size_t>(suggested) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 ||
        found == nullptr || found->pw_dir == nullptr || *found->pw_dir == '\0') {
        return std::nullopt;
    }
    return std::string(found->pw_dir);
}

std::int32_t PosixSystemInfo::processIdentifier() const {
    return static_cast<std::int32_t>(getpid());
}

OperatingSystemVersion PosixSystemInfo::operatingSystemVersion() const {
    return {0, 0, 0};
}

Duration PosixSystemInfo::systemUptime() const {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
}

}  // namespace stowbar
