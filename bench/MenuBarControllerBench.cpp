// What a refresh costs: the path that finds nothing changed against the work it cannot avoid,
// a full refresh with pictures, and how both grow with applications and extras. How long the main
// thread is busy at a stretch while an application is slow is measured on the real loop
// (MainThreadStallBench).

#include <benchmark/benchmark.h>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "adapters/qt/QtImageRenderer.hpp"
#include "adapters/sim/SimulatedDesktop.hpp"
#include "core/MenuBarController.hpp"
#include "platform/Geometry.hpp"
#include "platform/Platform.hpp"
#include "platform/ScreenCapture.hpp"
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

// The least a refresh that finds nothing changed must do, through the same ports: ask whether
// the process is trusted (an untrusted one scans nothing), stat the file (its fingerprint),
// read it whole (the only probe of Full Disk Access, and the bytes a change would bring),
// compare those bytes with the last read's (unchanged bytes need no parse), and list the
// running applications (a launch or a quit is a change too).
void BM_FloorNoChangeRefresh(benchmark::State& state) {
    Desk desk(300, 40, 1);
    const auto last = desk.platform.files.readFile(desk.path).bytes;
    for (auto _ : state) {
        benchmark::DoNotOptimize(desk.platform.accessibility.isProcessTrusted());
        benchmark::DoNotOptimize(desk.platform.files.attributes(desk.path));
        const auto contents = desk.platform.files.readFile(desk.path);
        benchmark::DoNotOptimize(contents.bytes == last);
        benchmark::DoNotOptimize(desk.platform.workspace.runningApplications());
    }
}
BENCHMARK(BM_FloorNoChangeRefresh);

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

// How the cost grows: arguments are the running applications, the hidden ones among them, and
// the extras each hidden one shows. A refresh that finds nothing changed is bound by the
// running applications; a full one (scan, window numbers, initial icons, one capture per
// extra with a fresh listing of shareable windows each) by the extras.
void BM_ScalingNoChangeRefresh(benchmark::State& state) {
    Desk desk(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)),
              static_cast<int>(state.range(2)));
    const auto controller = std::make_shared<MenuBarController>(desk.platform, desk.executor);
    desk.refresh(controller);
    for (auto _ : state) {
        desk.refresh(controller);
    }
}
void BM_ScalingFullRefresh(benchmark::State& state) {
    Desk desk(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)),
              static_cast<int>(state.range(2)));
    for (auto _ : state) {
        const auto controller = std::make_shared<MenuBarController>(desk.platform, desk.executor);
        desk.refresh(controller);
        if (controller->hiddenItems().size() !=
            static_cast<std::size_t>(state.range(1) * state.range(2))) {
            state.SkipWithError("not every hidden extra was listed");
        }
    }
}
// 10, 100 and 1,000 running applications with 5 hidden extras; 5, 50 and 500 hidden extras
// (5 applications with 1, 10 and 100 each) among 100 running applications.
void scalingArguments(benchmark::internal::Benchmark* benchmark) {
    benchmark->Args({10, 5, 1})->Args({100, 5, 1})->Args({1000, 5, 1});
    benchmark->Args({100, 5, 10})->Args({100, 5, 100});
    benchmark->Unit(benchmark::kMicrosecond);
}
BENCHMARK(BM_ScalingNoChangeRefresh)->Apply(scalingArguments);
BENCHMARK(BM_ScalingFullRefresh)->Apply(scalingArguments);

// Each capture lists the shareable windows afresh, so that a window that went away is not
// asked for; with 40 hidden extras a capture pass lists 40 times. One listing on a desktop of
// 40 hidden extras among 300 applications (on the simulated desktop; ScreenCaptureKit's own
// listing costs what it costs on a Mac and is not measured here).
void BM_ShareableWindowListing40Extras(benchmark::State& state) {
    Desk desk(300, 40, 1);
    for (auto _ : state) {
        desk.platform.screenCapture.getShareableContent(
            [](std::optional<std::vector<ShareableWindow>> windows) {
                benchmark::DoNotOptimize(windows);
            });
    }
}
BENCHMARK(BM_ShareableWindowListing40Extras);

// The full refresh those 40 captures belong to, for comparison.
void BM_FullRefresh40HiddenExtrasAmong300Applications(benchmark::State& state) {
    Desk desk(300, 40, 1);
    for (auto _ : state) {
        const auto controller = std::make_shared<MenuBarController>(desk.platform, desk.executor);
        desk.refresh(controller);
    }
}
BENCHMARK(BM_FullRefresh40HiddenExtrasAmong300Applications)->Unit(benchmark::kMicrosecond);

}  // namespace
