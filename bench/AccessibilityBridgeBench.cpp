// What the bridge adds on top of the Accessibility requests it makes, measured against the
// simulated desktop: a scan of many applications should cost about as much as the attribute
// reads it needs and no more, and the window-number search should stay cheap in its worst case.

#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "adapters/sim/DesktopSimulation.hpp"
#include "adapters/sim/SimulatedAccessibility.hpp"
#include "adapters/sim/SimulatedDesktop.hpp"
#include "core/AccessibilityBridge.hpp"
#include "core/MenuBarItemRecords.hpp"
#include "platform/Accessibility.hpp"
#include "platform/Geometry.hpp"

namespace {

using namespace stowbar;

constexpr std::int32_t kApplications = 300;
constexpr int kExtrasEach = 3;

SimulatedDesktop manyApplications(std::int32_t applications = kApplications,
                                  int extrasEach = kExtrasEach) {
    SimulatedDesktop desktop;
    desktop.applications.reserve(static_cast<std::size_t>(applications));
    for (std::int32_t index = 0; index < applications; ++index) {
        SimulatedApplication application;
        application.pid = 1000 + index;
        application.name = "Application " + std::to_string(index);
        application.bundleIdentifier = "com.example.application" + std::to_string(index);
        for (int extra = 0; extra < extrasEach; ++extra) {
            SimulatedExtra item;
            item.position = Point{1500.0 - 30 * extra, -30};
            item.size = Size{24, 24};
            application.extras.push_back(item);
        }
        desktop.applications.push_back(application);
    }
    return desktop;
}

std::vector<AppScanTarget> targetsOf(const SimulatedDesktop& desktop) {
    std::vector<AppScanTarget> targets;
    targets.reserve(desktop.applications.size());
    for (const auto& application : desktop.applications) {
        targets.push_back(
            AppScanTarget{application.pid, application.bundleIdentifier, *application.name});
    }
    return targets;
}

// One scan of every application; reported per application.
void BM_FindMenuBarItems(benchmark::State& state) {
    const auto desktop = manyApplications();
    DesktopSimulation simulation(desktop);
    SimulatedAccessibility accessibility(simulation);
    const AccessibilityBridge bridge(accessibility);
    const auto targets = targetsOf(desktop);
    for (auto _ : state) {
        auto items = bridge.findMenuBarItems(targets);
        benchmark::DoNotOptimize(items);
    }
    state.SetItemsProcessed(state.iterations() * kApplications);
}
BENCHMARK(BM_FindMenuBarItems)->Unit(benchmark::kMicrosecond);

// How the scan grows: `range(0)` applications scanned, `range(1)` extras each (the scan asks
// every target, so scanned applications are the hidden ones).
void BM_ScalingFindMenuBarItems(benchmark::State& state) {
    const auto desktop = manyApplications(static_cast<std::int32_t>(state.range(0)),
                                          static_cast<int>(state.range(1)));
    DesktopSimulation simulation(desktop);
    SimulatedAccessibility accessibility(simulation);
    const AccessibilityBridge bridge(accessibility);
    const auto targets = targetsOf(desktop);
    for (auto _ : state) {
        auto items = bridge.findMenuBarItems(targets);
        benchmark::DoNotOptimize(items);
    }
}
// 10, 100 and 1,000 applications of 1 extra; 5 applications of 1, 10 and 100 extras.
BENCHMARK(BM_ScalingFindMenuBarItems)
    ->Args({10, 1})
    ->Args({100, 1})
    ->Args({1000, 1})
    ->Args({5, 1})
    ->Args({5, 10})
    ->Args({5, 100})
    ->Unit(benchmark::kMicrosecond);

// The same attribute reads, of the same applications, made directly on elements prepared
// beforehand: the floor the scan is compared with. Reported per application, as above.
void BM_BareAttributeReads(benchmark::State& state) {
    const auto desktop = manyApplications();
    DesktopSimulation simulation(desktop);
    SimulatedAccessibility accessibility(simulation);
    struct Prepared {
        std::int32_t pid = 0;
        AXElement application;
        AXElement bar;
        std::vector<AXElement> extras;
    };
    std::vector<Prepared> prepared;
    for (const auto& application : desktop.applications) {
        Prepared elements;
        elements.pid = application.pid;
        elements.application = accessibility.applicationElement(application.pid);
        elements.bar = std::get<AXElement>(
            *accessibility.copyAttributeValue(elements.application, "AXExtrasMenuBar").value);
        elements.extras = std::get<std::vector<AXElement>>(
            *accessibility.copyAttributeValue(elements.bar, "AXChildren").value);
        prepared.push_back(std::move(elements));
    }
    std::size_t extraCount = 0;
    for (const auto& elements : prepared) {
        extraCount += elements.extras.size();
    }
    const bool withApplicationElements = state.range(0) != 0;
    const bool keepingExtras = state.range(0) == 2;
    for (auto _ : state) {
        std::vector<AXElement> kept;
        if (keepingExtras) {
            kept.reserve(extraCount);
        }
        for (const auto& elements : prepared) {
            if (withApplicationElements) {
                auto application = accessibility.applicationElement(elements.pid);
                benchmark::DoNotOptimize(
                    accessibility.setMessagingTimeout(elements.application, 0.1f));
                benchmark::DoNotOptimize(application);
            }
            auto bar = accessibility.copyAttributeValue(elements.application, "AXExtrasMenuBar");
            benchmark::DoNotOptimize(bar);
            auto children = accessibility.copyAttributeValue(elements.bar, "AXChildren");
            benchmark::DoNotOptimize(children);
            if (keepingExtras) {
                for (auto& extra : std::get<std::vector<AXElement>>(*children.value)) {
                    kept.push_back(std::move(extra));
                }
            }
            for (const auto& extra : elements.extras) {
                auto position = accessibility.copyAttributeValue(extra, "AXPosition");
                benchmark::DoNotOptimize(position);
                auto size = accessibility.copyAttributeValue(extra, "AXSize");
                benchmark::DoNotOptimize(size);
            }
        }
        benchmark::DoNotOptimize(kept);
    }
    state.SetItemsProcessed(state.iterations() * kApplications);
}
// 0: the attribute reads alone; 1: with the application element and the messaging timeout
// that the scan also asks for, so every port call it makes; 2: as 1, and the extras' elements
// held until the end, as the scan's records hold them. 2 is the floor the scan is held to: it
// cannot return the elements without keeping them.
BENCHMARK(BM_BareAttributeReads)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

// An extra whose window is found only at `range(0)` ancestors up (0: found nowhere, with
// every element on the way offering windows that report 0, the most work the search does).
void BM_WindowID(benchmark::State& state) {
    const auto resolvedAt = static_cast<std::size_t>(state.range(0));
    SimulatedAncestor useless;
    useless.window = 0;
    useless.axWindow = 0;
    useless.axTopLevel = 0;
    SimulatedExtra extra;
    extra.position = Point{0, 0};
    extra.size = Size{24, 24};
    extra.window = 0;
    extra.axWindow = 0;
    extra.axTopLevel = 0;
    extra.parents = std::vector<SimulatedAncestor>(9, useless);
    if (resolvedAt > 0) {
        (*extra.parents)[resolvedAt - 1].window = 4242;
    }
    SimulatedApplication application;
    application.pid = 401;
    application.name = "Alpha";
    application.extras = {extra};
    SimulatedDesktop desktop;
    desktop.applications = {application};
    DesktopSimulation simulation(desktop);
    SimulatedAccessibility accessibility(simulation);
    const AccessibilityBridge bridge(accessibility);
    const auto items = bridge.findMenuBarItems({AppScanTarget{401, std::nullopt, "Alpha"}});
    for (auto _ : state) {
        auto number = bridge.windowID(items.front().element);
        benchmark::DoNotOptimize(number);
    }
}
BENCHMARK(BM_WindowID)->Arg(8)->Arg(0)->Unit(benchmark::kMicrosecond);

}  // namespace
