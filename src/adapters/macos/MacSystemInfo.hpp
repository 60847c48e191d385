#pragma once

#include "adapters/posix/PosixSystemInfo.hpp"
#include "platform/SystemInfo.hpp"

namespace stowbar {

// SystemInfo on macOS: the version, process id and uptime from NSProcessInfo; the home
// directory by POSIX tilde expansion, as on every other system.
//
// The version is the one the system reports to this binary, which is the real "26.x.y" only
// for a binary built against the macOS 26 SDK; older SDKs are told a compatibility version.
//
// Threading: any thread; NSProcessInfo's answers are safe to read from any thread.
class MacSystemInfo final : public SystemInfo {
  public:
    std::optional<std::string> homeDirectory() const override { return posix_.homeDirectory(); }
    std::int32_t processIdentifier() const override;
    OperatingSystemVersion operatingSystemVersion() const override;
    Duration systemUptime() const override;

  private:
    PosixSystemInfo posix_;
};

}  // namespace stowbar
