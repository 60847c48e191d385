// What a refresh costs: the path that finds nothing changed against the file work it cannot
// avoid, and a full refresh with pictures. How long the main thread is busy at a stretch while
// an application is slow is measured on the real loop (MainThreadStallBench).

#include <benchmark/benchmark.h>

#include "adapters/plist/LibplistReader.hpp"
#include "adapters/posix/PosixFileSystem.hpp"
#include "adapters/qt/QtImageRenderer.hpp"
#include "adapters/sim/DesktopSimulation.hpp"
#include "adapters/sim/SimulatedAccessibility.hpp"
#include "adapters/sim/SimulatedFileSystem.hpp"
#include "adapters/sim/SimulatedScreenCapture.hpp"
#include "adapters/sim/SimulatedWorkspace.hpp"
#include "core/MenuBarController.hpp"
#include "runtime/ManualExecutor.hpp"
#include "support/FakeApplication.hpp"
#include "support/FakeSystemInfo.hpp"
#include "support/InertShell.hpp"
#include "support/PlistBuilder.hpp"
#include "support/TemporaryDirectory.hpp"

namespace {

using namespace stowbar;

SimulatedApplication runningApplication(std::int32_t pid, int extras) {
    SimulatedApplication application;
    application.pid = pid;
    application.name = "Application " + std::to_string(pid);
    application.bundleIdentifier = "com.example.application" + std::to_string(pid);
    for (int i = 0; i < extras; ++i) {
        SimulatedExtra extra;
        extra.position = Point{1000.0 + 30 * i, -30};
        extra.size = Size{24, 22};
        extra.window = static_cast<std::uint32_t>(pid * 10 + i);
        application.extras.push_back(extra);
    }
    return application;
}

// A desktop of `running` applications of which the first `hidden` are in the hidden set.
struct Desk {
    Desk(int running, int hidden, int extras) {
        system.home = home.path().string();
        SimulatedDesktop desktop;
        plist_t entries = plist_new_array();
        for (int i = 0; i < running; ++i) {
            const auto app = runningApplication(1000 + i, i < hidden ? extras : 1);
            if (i < hidden) {
                plist_array_append_item(
                    entries,
                    plist_copy(
                        test::entry(false, test::bundleLocation(*app.bundleIdentifier)).node()));
            }
            desktop.applications.push_back(app);
        }
        simulation.update([&](SimulatedDesktop& d) { d = desktop; });
        path = home.write(
                       "Library/Group Containers/group.com.apple.controlcenter/Library/"
                       "Preferences/group.com.apple.controlcenter.plist",
                       test::controlCenterFile(test::Plist(entries)).binary())
                   .string();
    }

    void refresh(const std::shared_ptr<MenuBarController>& controller) {
        spawn(executor, [](std::shared_ptr<MenuBarController> c) -> Task<void> {
            co_await c->refresh();
        }(controller));
        executor.runUntilIdle();
    }

    test::TemporaryDirectory home;
    test::FakeSystemInfo system;
    DesktopSimulation simulation;
    PosixFileSystem realFiles;
    SimulatedFileSystem files{realFiles, simulation};
    LibplistReader propertyLists;
    SimulatedAccessibility accessibility{simulation};
    SimulatedWorkspace workspace{simulation};
    SimulatedScreenCapture screenCapture{simulation};
    QtImageRenderer imageRenderer;
    test::FakeApplication application;
    std::ostringstream out;
    test::InertShell inertShell;
    const Platform platform{system,    files,           propertyLists, accessibility,
                            workspace, screenCapture,   imageRenderer, application,
                            out,       inertShell.ports};
    ManualExecutor executor;
    std::string path;
};

void BM_RefreshWithNothingChanged300Applications(benchmark::State& state) {
    Desk desk(300, 40, 1);
    const auto controller = std::make_shared<MenuBarController>(desk.platform, desk.executor);
    desk.refresh(controller);
    for (auto _ : state) {
        desk.refresh(controller);
    }
}
BENCHMARK(BM_RefreshWithNothingChanged300Applications);

void BM_FloorTwoReadsAndOneParse(benchmark::State& state) {
    Desk desk(300, 40, 1);
    for (auto _ : state) {
        benchmark::DoNotOptimize(desk.realFiles.readFile(desk.path));
        const auto contents = desk.realFiles.readFile(desk.path);
        const auto root = desk.propertyLists.parse(*contents.bytes);
        benchmark::DoNotOptimize(
            desk.propertyLists.parse(*root->find("trackedApplications")->as<PlistValue::Data>()));
    }
}
BENCHMARK(BM_FloorTwoReadsAndOneParse);

// Listing the running applications is work the refresh cannot skip either; on the simulated
// desktop it is mostly copying 600 strings.
void BM_ListRunningApplications300(benchmark::State& state) {
    Desk desk(300, 40, 1);
    for (auto _ : state) {
        benchmark::DoNotOptimize(desk.workspace.runningApplications());
    }
}
BENCHMARK(BM_ListRunningApplications300);

void BM_FullRefresh50HiddenApplicationsWith3ExtrasAndPictures(benchmark::State& state) {
    Desk desk(50, 50, 3);
    for (auto _ : state) {
        const auto controller = std::make_shared<MenuBarController>(desk.platform, desk.executor);
        desk.refresh(controller);
        if (controller->hiddenItems().size() != 150) {
            state.SkipWithError("expected 150 items");
        }
    }
}
BENCHMARK(BM_FullRefresh50HiddenApplicationsWith3ExtrasAndPictures)->Unit(benchmark::kMillisecond);

}  // namespace
