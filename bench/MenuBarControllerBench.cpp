// What a refresh costs: the path that finds nothing changed against the file work it cannot
// avoid, and a full refresh with pictures. How long the main thread is busy at a stretch while
// an application is slow is measured on the real loop (MainThreadStallBench).

#include <benchmark/benchmark.h>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "adapters/qt/QtImageRenderer.hpp"
#include "adapters/sim/SimulatedDesktop.hpp"
#include "core/MenuBarController.hpp"
#include "platform/Geometry.hpp"
#include "platform/Platform.hpp"
#include "runtime/ManualExecutor.hpp"
#include "runtime/Spawn.hpp"
#include "runtime/Task.hpp"
#include "support/InertShell.hpp"
#include "support/SimulatedPlatform.hpp"

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
struct Desk : test::SimulatedPlatform {
    Desk(int running, int hidden, int extras) {
        SimulatedDesktop desktop;
        std::vector<std::string> hiddenSet;
        for (int i = 0; i < running; ++i) {
            desktop.applications.push_back(runningApplication(1000 + i, i < hidden ? extras : 1));
            if (i < hidden) {
                hiddenSet.push_back(*desktop.applications.back().bundleIdentifier);
            }
        }
        simulation.update([&](SimulatedDesktop& d) { d = desktop; });
        path = writeHiddenSet(hiddenSet).string();
    }

    void refresh(const std::shared_ptr<MenuBarController>& controller) {
        spawn(executor, [](std::shared_ptr<MenuBarController> c) -> Task<void> {
            co_await c->refresh();
        }(controller));
        executor.runUntilIdle();
    }

    QtImageRenderer qtRenderer;
    test::InertShell inertShell;
    const Platform platform =
        SimulatedPlatform::platform({.imageRenderer = &qtRenderer, .shell = &inertShell.ports});
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

// The file work of a refresh that decodes the file every time. A refresh that reads the same
// bytes as the one before keeps their decoding and skips the parse, so it can come in under
// this floor.
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
