// The poll tick's cost when nothing changed, against the floor it cannot avoid: one trust check,
// one whole read of the Control Center file (the Full Disk Access probe) and one attribute
// query (the fingerprint). Everything else a tick does (the timer, the task, the comparisons)
// is the overhead measured here.

#include <benchmark/benchmark.h>
#include <plist/plist.h>

#include <chrono>
#include <memory>
#include <string>

#include "adapters/linux/LinuxScreenCapture.hpp"
#include "adapters/qt/QtImageRenderer.hpp"
#include "core/AppDelegate.hpp"
#include "platform/Platform.hpp"
#include "runtime/ManualExecutor.hpp"
#include "support/PlistBuilder.hpp"
#include "support/SimulatedPlatform.hpp"

namespace {

using namespace stowbar;

struct Desk {
    Desk() {
        auto entries = test::Plist::array({});
        for (int i = 0; i < 40; ++i) {
            plist_array_append_item(
                entries.node(),
                plist_copy(test::entry(i % 2 == 0,
                                       test::bundleLocation("com.example.app" + std::to_string(i)))
                               .node()));
        }
        path = ports.home.write(test::kControlCenterFile, test::controlCenterFile(entries).binary())
                   .string();
    }
    test::SimulatedPlatform ports;
    LinuxScreenCapture screenCapture;
    QtImageRenderer imageRenderer;
    const Platform platform = ports.platform({.files = &ports.realFiles,
                                              .screenCapture = &screenCapture,
                                              .imageRenderer = &imageRenderer});
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
        benchmark::DoNotOptimize(desk.ports.accessibility.isProcessTrusted());
        benchmark::DoNotOptimize(desk.ports.realFiles.readFile(desk.path));
        benchmark::DoNotOptimize(desk.ports.realFiles.attributes(desk.path));
    }
}
BENCHMARK(PollTickFloor);

}  // namespace
