#include "core/Stowbar.hpp"

#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "platform/InstanceLock.hpp"
#include "platform/ShellPorts.hpp"
#include "support/SimulatedPlatform.hpp"

namespace stowbar {
namespace {

// Only an exact "--diagnose" argument prints the report, and the report never asks for the
// instance lock; otherwise only a lock held by another instance ends a start.
TEST(StowbarApp, OnlyAnExactDiagnoseArgumentReportsAndOnlyALockHeldElsewhereEndsAStart) {
    struct Lock final : InstanceLock {
        InstanceLockResult acquire() override {
            ++attempts;
            return result;
        }
        InstanceLockResult result = InstanceLockResult::acquired;
        int attempts = 0;
    };
    using Result = InstanceLockResult;
    struct Case {
        std::vector<std::string> arguments;
        Result lock;
        bool report;
        int runs;
    };
    const Case cases[] = {
        {{"stowbar", "--diagnose"}, Result::acquired, true, 0},
        {{"stowbar", "-v", "--diagnose", "extra"}, Result::acquired, true, 0},
        {{"--diagnose"}, Result::acquired, true, 0},
        {{"stowbar", "--diagnose"}, Result::heldByAnotherProcess, true, 0},
        {{"stowbar"}, Result::acquired, false, 1},
        {{"stowbar", "--Diagnose"}, Result::acquired, false, 1},
        {{"stowbar", "-diagnose"}, Result::acquired, false, 1},
        {{"stowbar", "--diagnose=yes"}, Result::acquired, false, 1},
        {{"stowbar", " --diagnose"}, Result::acquired, false, 1},
        {{"stowbar"}, Result::heldByAnotherProcess, false, 0},
        {{"stowbar"}, Result::unavailable, false, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.back() + " " + std::to_string(static_cast<int>(c.lock)));
        test::SimulatedPlatform ports;
        Lock lock;
        lock.result = c.lock;
        ShellPorts shell = ports.shell.ports;
        shell.instanceLock = &lock;
        EXPECT_EQ(StowbarApp::main(c.arguments, ports.platform({.shell = &shell})), 0);
        EXPECT_EQ(ports.out.str().rfind("=== Stowbar diagnostics ===\n", 0) == 0, c.report);
        EXPECT_EQ(ports.out.str().empty(), !c.report);
        EXPECT_EQ(ports.application.runs, c.runs);
        EXPECT_EQ(lock.attempts, c.report ? 0 : 1);
    }
}

}  // namespace
}  // namespace stowbar
