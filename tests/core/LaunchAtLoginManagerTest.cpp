#include "core/LaunchAtLoginManager.hpp"

#include <gtest/gtest.h>
#include <string>

#include "adapters/sim/SimulatedShell.hpp"
#include "platform/ShellPorts.hpp"

namespace stowbar {
namespace {

TEST(LaunchAtLoginManager, RegistersOnlyWhenNeededAndShowsTheNoticeWhileApprovalIsRequired) {
    struct Case {
        const char* name;
        std::string extension;
        LoginItemStatus before;
        bool registrationSucceeds;
        int registrations;
        int alerts;
    };
    const Case cases[] = {
        {"enabled at launch", "app", LoginItemStatus::enabled, true, 0, 0},
        {"not registered, then enabled", "app", LoginItemStatus::notRegistered, true, 1, 0},
        {"not found, then enabled", "app", LoginItemStatus::notFound, true, 1, 0},
        {"still requires approval", "app", LoginItemStatus::requiresApproval, true, 1, 1},
        {"refused registration is swallowed", "app", LoginItemStatus::requiresApproval, false, 1,
         0},
        {"unknown status", "app", static_cast<LoginItemStatus>(7), true, 0, 0},
        {"bare executable", "", LoginItemStatus::notRegistered, true, 0, 0},
        {"extension in other case", "APP", LoginItemStatus::notRegistered, true, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SimulatedLoginItemService service;
        SimulatedAlerts alerts;
        service.bundleExtension = c.extension;
        service.currentStatus = c.before;
        service.registrationSucceeds = c.registrationSucceeds;
        LaunchAtLoginManager(service, alerts).registerIfNeeded();
        EXPECT_EQ(service.registrations, c.registrations);
        ASSERT_EQ(static_cast<int>(alerts.shown.size()), c.alerts);
        // Its texts are in the simulator's approval transcript.
        if (c.alerts > 0) {
            EXPECT_EQ(alerts.shown[0].style, AlertStyle::informational);
        }
    }
}

}  // namespace
}  // namespace stowbar
