#pragma once

// Short ways to describe a simulated desktop in a test.

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "adapters/sim/SimulatedDesktop.hpp"
#include "core/MenuBarItemRecords.hpp"

namespace stowbar::test {

inline SimulatedExtra extraAt(double x, double y, double width, double height) {
    SimulatedExtra extra;
    extra.position = Point{x, y};
    extra.size = Size{width, height};
    return extra;
}

inline SimulatedApplication application(std::int32_t pid, std::string name,
                                        std::vector<SimulatedExtra> extras = {}) {
    SimulatedApplication result;
    result.pid = pid;
    result.bundleIdentifier = "com.example." + name;
    result.name = std::move(name);
    result.extras = std::move(extras);
    return result;
}

inline AppScanTarget targetOf(const SimulatedApplication& application) {
    return AppScanTarget{application.pid, application.bundleIdentifier,
                         application.name.value_or("")};
}

inline std::vector<AppScanTarget> targetsOf(const std::vector<SimulatedApplication>& applications) {
    std::vector<AppScanTarget> targets;
    targets.reserve(applications.size());
    for (const auto& application : applications) {
        targets.push_back(targetOf(application));
    }
    return targets;
}

inline SimulatedDesktop desktopWith(std::vector<SimulatedApplication> applications) {
    SimulatedDesktop desktop;
    desktop.applications = std::move(applications);
    return desktop;
}

}  // namespace stowbar::test
