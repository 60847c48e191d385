#pragma once

#include "platform/SystemInfo.hpp"

namespace stowbar::test {

struct FakeSystemInfo final : SystemInfo {
    std::optional<std::string> home;
    std::int32_t pid = 100;
    OperatingSystemVersion version{26, 1, 0};
    Duration uptime = std::chrono::seconds(1000);

    std::optional<std::string> homeDirectory() const override { return home; }
    std::int32_t processIdentifier() const override { return pid; }
    OperatingSystemVersion operatingSystemVersion() const override { return version; }
    Duration systemUptime() const override { return uptime; }
};

}  // namespace stowbar::test
