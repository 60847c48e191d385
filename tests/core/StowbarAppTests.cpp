#include "core/Stowbar.hpp"

#include <gtest/gtest.h>

#include <sstream>

#include "adapters/linux/LinuxAccessibility.hpp"
#include "adapters/linux/LinuxScreenCapture.hpp"
#include "adapters/linux/LinuxWorkspace.hpp"
#include "adapters/plist/LibplistReader.hpp"
#include "adapters/posix/PosixFileSystem.hpp"
#include "support/FakeApplication.hpp"
#include "support/FakeImageRenderer.hpp"
#include "support/FakeSystemInfo.hpp"
#include "support/InertShell.hpp"
#include "support/TemporaryDirectory.hpp"

namespace stowbar {
namespace {

TEST(StowbarApp, OnlyAnExactDiagnoseArgumentPrintsTheReportInsteadOfStartingTheApplication) {
    struct Case {
        std::vector<std::string> arguments;
        bool report;
    };
    const Case cases[] = {
        {{"stowbar", "--diagnose"}, true},
        {{"stowbar", "-v", "--diagnose", "extra"}, true},
        {{"--diagnose"}, true},
        {{"stowbar"}, false},
        {{"stowbar", "--Diagnose"}, false},
        {{"stowbar", "-diagnose"}, false},
        {{"stowbar", "--diagnose=yes"}, false},
        {{"stowbar", " --diagnose"}, false},
    };
    test::TemporaryDirectory home;
    test::FakeSystemInfo system;
    system.home = home.path().string();
    PosixFileSystem files;
    LibplistReader propertyLists;
    LinuxAccessibility accessibility;
    LinuxWorkspace workspace;
    LinuxScreenCapture screenCapture;
    test::FakeImageRenderer imageRenderer;
    for (const auto& c : cases) {
        test::FakeApplication application;
        std::ostringstream out;
        test::InertShell inertShell;
        const Platform platform{system,    files,           propertyLists, accessibility,
                                workspace, screenCapture,   imageRenderer, application,
                                out,       inertShell.ports};
        EXPECT_EQ(StowbarApp::main(c.arguments, platform), 0);
        EXPECT_EQ(out.str().rfind("=== Stowbar diagnostics ===\n", 0) == 0, c.report)
            << c.arguments.back();
        EXPECT_EQ(application.runs, c.report ? 0 : 1) << c.arguments.back();
    }
}

TEST(StowbarApp, OnlyALockHeldByAnotherInstanceEndsAStartAndTheReportNeverAsksForIt) {
    struct Lock final : InstanceLock {
        InstanceLockResult acquire() override {
            ++attempts;
            return result;
        }
        InstanceLockResult result = InstanceLockResult::acquired;
        int attempts = 0;
    };
    struct Case {
        const char* name;
        InstanceLockResult result;
        bool diagnose;
        int runs;
    };
    const Case cases[] = {
        {"the first instance", InstanceLockResult::acquired, false, 1},
        {"a second instance", InstanceLockResult::heldByAnotherProcess, false, 0},
        {"no lock could be made", InstanceLockResult::unavailable, false, 1},
        {"the report beside a running instance", InstanceLockResult::heldByAnotherProcess, true, 0},
    };
    test::TemporaryDirectory home;
    test::FakeSystemInfo system;
    system.home = home.path().string();
    PosixFileSystem files;
    LibplistReader propertyLists;
    LinuxAccessibility accessibility;
    LinuxWorkspace workspace;
    LinuxScreenCapture screenCapture;
    test::FakeImageRenderer imageRenderer;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::FakeApplication application;
        std::ostringstream out;
        test::InertShell inertShell;
        Lock lock;
        lock.result = c.result;
        inertShell.ports.instanceLock = &lock;
        const Platform platform{system,    files,           propertyLists, accessibility,
                                workspace, screenCapture,   imageRenderer, application,
                                out,       inertShell.ports};
        const std::vector<std::string> arguments =
            c.diagnose ? std::vector<std::string>{"stowbar", "--diagnose"}
                       : std::vector<std::string>{"stowbar"};
        EXPECT_EQ(StowbarApp::main(arguments, platform), 0);
        EXPECT_EQ(application.runs, c.runs);
        EXPECT_EQ(lock.attempts, c.diagnose ? 0 : 1);
        EXPECT_EQ(out.str().empty(), !c.diagnose);
    }
}

}  // namespace
}  // namespace stowbar
