// The poll tick's cost when nothing changed, against the floor it cannot avoid: one trust check,
// one whole read of the Control Center file (the Full Disk Access probe) and one attribute
// query (the fingerprint). Everything else a tick does (the timer, the task, the comparisons)
// is the overhead measured here.

#include <benchmark/benchmark.h>
#include <plist/plist.h>

#include <chrono>
#include <memory>
#include <sstream>
#include <string>

#include "adapters/linux/LinuxScreenCapture.hpp"
#include "adapters/plist/LibplistReader.hpp"
#include "adapters/posix/PosixFileSystem.hpp"
#include "adapters/qt/QtImageRenderer.hpp"
#include "adapters/sim/DesktopSimulation.hpp"
#include "adapters/sim/SimulatedAccessibility.hpp"
#include "adapters/sim/SimulatedShell.hpp"
#include "adapters/sim/SimulatedWorkspace.hpp"
#include "core/AppDelegate.hpp"
#include "platform/Platform.hpp"
#include "runtime/ManualExecutor.hpp"
#include "support/FakeApplication.hpp"
#include "support/FakeSystemInfo.hpp"
#include "support/PlistBuilder.hpp"
#include "support/TemporaryDirectory.hpp"

namespace {

using namespace stowbar;

constexpr const char* kPrefsFile =
    "Library/Group Containers/group.com.apple.controlcenter/Library/Preferences/"
    "group.com.apple.controlcenter.plist";

struct Desk {
    Desk() {
        system.home = home.path().string();
        auto entries = test::Plist::array({});
        for (int i = 0; i < 40; ++i) {
            plist_array_append_item(
                entries.node(),
                plist_copy(test::entry(i % 2 == 0,
                                       test::bundleLocation("com.example.app" + std::to_string(i)))
                               .node()));
        }
        path = home.write(kPrefsFile, test::controlCenterFile(entries).binary()).string();
    }
    test::TemporaryDirectory home;
    test::FakeSystemInfo system;
    DesktopSimulation simulation;
    PosixFileSystem files;
    LibplistReader propertyLists;
    SimulatedAccessibility accessibility{simulation};
    SimulatedWorkspace workspace{simulation};
    LinuxScreenCapture screenCapture;
    QtImageRenderer imageRenderer;
    test::FakeApplication application;
    std::ostringstream out;
    SimulatedShell shell{files};
    const Platform platform{system,    files,         propertyLists, accessibility,
                            workspace, screenCapture, imageRenderer, application,
                            out,       shell.ports};
    std::string path;
};

void PollTickWhenNothingChanged(benchmark::State& state) {
    Desk desk;
    ManualExecutor executor;
    auto delegate = std::make_shared<AppDelegate>(desk.platform, executor);
    delegate->applicationDidFinishLaunching();
    executor.runUntilIdle();
    // The first tick may still settle a flag; measure the steady state after it.
    executor.advanceBy(std::chrono::seconds(2));
    for (auto _ : state) {
        executor.advanceBy(std::chrono::seconds(2));
    }
    delegate->applicationWillTerminate();
}
BENCHMARK(PollTickWhenNothingChanged);

void PollTickFloor(benchmark::State& state) {
    Desk desk;
    for (auto _ : state) {
        benchmark::DoNotOptimize(desk.accessibility.isProcessTrusted());
        benchmark::DoNotOptimize(desk.files.readFile(desk.path));
        benchmark::DoNotOptimize(desk.files.attributes(desk.path));
    }
}
BENCHMARK(PollTickFloor);

}  // namespace
