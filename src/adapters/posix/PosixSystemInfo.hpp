#pragma once

#include "platform/SystemInfo.hpp"

namespace stowbar {

// SystemInfo of a POSIX system. Linux has no macOS-style version, so it reports 0.0.0.
class PosixSystemInfo final : public SystemInfo {
  public:
    std::optional<std::string> homeDirectory() const override;
    std::int32_t processIdentifier() const override;
    OperatingSystemVersion operatingSystemVersion() const override;
    Duration systemUptime() const override;
};

}  // namespace stowbar
