#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "runtime/Clock.hpp"

namespace stowbar {

struct OperatingSystemVersion {
    std::int64_t major = 0;
    std::int64_t minor = 0;
    std::int64_t patch = 0;
};

// Facts about this process and the machine it runs on.
//
// Threading: every call is synchronous and safe from any thread; nothing is cached by the
// interface, so each call answers for the moment it is made.
class SystemInfo {
  public:
    virtual ~SystemInfo() = default;

    // The current user's home directory as tilde expansion finds it, without a trailing
    // slash; absent when it cannot be determined.
    virtual std::optional<std::string> homeDirectory() const = 0;

    virtual std::int32_t processIdentifier() const = 0;

    // The running operating system's version. A system that has no macOS-style version
    // answers 0.0.0 rather than inventing one.
    virtual OperatingSystemVersion operatingSystemVersion() const = 0;

    // How long the system has been up; never goes backwards. A whole number of nanoseconds,
    // so that instants read from it compare exactly whatever the uptime is.
    virtual Duration systemUptime() const = 0;
};

}  // namespace stowbar
