// What a user feels while one application is slow: the longest single turn of the real Qt
// event loop, from the moment the loop wakes up until it next waits for input. During such a
// turn the program answers no click and draws nothing, so no turn should last longer than a
// millisecond, whatever another application does.
//
// The whole program runs here: the application delegate, the Qt status item, popup and panel
// on Qt's offscreen platform, and the simulated desktop, of which one of 50 hidden
// applications (3 extras each) is slow in one of three ways. Each iteration relaunches every
// application (so the list is published again) and waits for the refresh and its pictures.
//
// A turn is measured between two waits of the loop: the poll function of GLib's main context,
// which Qt's event dispatcher uses on Linux, is wrapped to note when the loop leaves a wait
// and when it enters the next one.

#include <glib.h>

#include <benchmark/benchmark.h>
#include <time.h>
#include <QAbstractEventDispatcher>
#include <QByteArray>
#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <ctime>
#include <memory>
#include <optional>
#include <ratio>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "adapters/qt/QtApplication.hpp"
#include "adapters/qt/QtImageRenderer.hpp"
#include "adapters/qt/QtShell.hpp"
#include "adapters/sim/ForwardingAccessibility.hpp"
#include "adapters/sim/SimulatedAccessibility.hpp"
#include "adapters/sim/SimulatedDesktop.hpp"
#include "core/AppDelegate.hpp"
#include "core/MenuBarController.hpp"
#include "platform/Accessibility.hpp"
#include "platform/Application.hpp"
#include "platform/Geometry.hpp"
#include "platform/Platform.hpp"
#include "platform/ShellPorts.hpp"
#include "platform/Workspace.hpp"
#include "support/InertShell.hpp"
#include "support/SimulatedPlatform.hpp"

namespace {

using namespace stowbar;
using Clock = std::chrono::steady_clock;

constexpr int kHiddenApplications = 50;
constexpr int kExtrasEach = 3;
constexpr int kSlowApplication = 7;
// What one request to the slow application costs: a request that hangs until the messaging
// timeout gives up on it, or a slow but complete answer.
constexpr auto kHungRequest = std::chrono::milliseconds(100);
constexpr auto kSlowAnswer = std::chrono::milliseconds(10);

QtApplication* theApplication = nullptr;

// The processor time this thread has used. On a busy machine a turn's wall time also holds
// the time other processes had the processor; this part is the program's own.
std::chrono::nanoseconds threadTime() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
}

// The longest time the main thread spent between leaving one wait and entering the next, in
// wall time and in processor time.
struct TurnMeter {
    GPollFunc realPoll = nullptr;
    bool measuring = false;
    bool awake = false;
    Clock::time_point wokeAt;
    std::chrono::nanoseconds wokeAtThreadTime{};
    Clock::duration longest{};
    std::chrono::nanoseconds longestThreadTime{};
} meter;

gint measuredPoll(GPollFD* descriptors, guint count, gint timeout) {
    if (meter.measuring && meter.awake) {
        meter.longest = std::max(meter.longest, Clock::now() - meter.wokeAt);
        meter.longestThreadTime =
            std::max(meter.longestThreadTime, threadTime() - meter.wokeAtThreadTime);
    }
    const gint result = meter.realPoll(descriptors, count, timeout);
    meter.wokeAt = Clock::now();
    meter.wokeAtThreadTime = threadTime();
    meter.awake = true;
    return result;
}

enum class Slowness : std::uint8_t { hangsBeforeScan, hangsAfterScan, answersSlowly };
// Where the list goes: a panel in an open popover, a panel in a closed one, or no panel at all
// (the program's own work without the toolkit's drawing of the list).
enum class Panel : std::uint8_t { shown, hidden, absent };

// The simulated desktop's answers, with the slow application's made slow in real time, on
// whichever thread asks.
struct SlowApplication final : ForwardingAccessibility {
    SlowApplication(Accessibility& real, Slowness how) : ForwardingAccessibility(real), kind(how) {}

    AXAttributeResult copyAttributeValue(const AXElement& element,
                                         std::string_view attribute) override {
        const bool scan = attribute == "AXExtrasMenuBar" || attribute == "AXChildren" ||
                          attribute == "AXPosition" || attribute == "AXSize";
        if (slow(element) && delay(scan)) {
            return {kAXErrorCannotComplete, std::nullopt};
        }
        return inner_.copyAttributeValue(element, attribute);
    }
    std::optional<AXWindowNumberFunction> windowNumberFunction() override {
        auto function = inner_.windowNumberFunction();
        if (!function) {
            return function;
        }
        return AXWindowNumberFunction(
            [this, real = *function](const AXElement& element, std::uint32_t& number) {
                if (slow(element) && delay(false)) {
                    return kAXErrorCannotComplete;
                }
                return real(element, number);
            });
    }

    bool slow(const AXElement& element) const {
        const auto pid = SimulatedAccessibility::processOf(element);
        return pid && (*pid % 1000) == kSlowApplication;
    }
    // Waits as the slow application makes a request wait; true when the request then fails.
    bool delay(bool scanRequest) const {
        switch (kind) {
            case Slowness::hangsBeforeScan:
                if (scanRequest) {
                    std::this_thread::sleep_for(kHungRequest);
                    return true;
                }
                return false;
            case Slowness::hangsAfterScan:
                if (!scanRequest) {
                    std::this_thread::sleep_for(kHungRequest);
                    return true;
                }
                return false;
            case Slowness::answersSlowly:
                std::this_thread::sleep_for(kSlowAnswer);
                return false;
        }
        return false;
    }

    Slowness kind;
};

// 50 hidden applications with 3 extras each, their pids starting at `base`.
std::vector<SimulatedApplication> applicationsFrom(std::int32_t base) {
    std::vector<SimulatedApplication> applications;
    for (int index = 0; index < kHiddenApplications; ++index) {
        SimulatedApplication application;
        application.pid = base + index;
        application.name = "Application " + std::to_string(index);
        application.bundleIdentifier = "com.example.application" + std::to_string(index);
        for (int i = 0; i < kExtrasEach; ++i) {
            SimulatedExtra extra;
            extra.position = Point{1000.0 + 30 * i, -30};
            extra.size = Size{24, 22};
            extra.window = static_cast<std::uint32_t>(base * 10 + index * kExtrasEach + i);
            application.extras.push_back(extra);
        }
        applications.push_back(application);
    }
    return applications;
}

struct Desk : test::SimulatedPlatform {
    Desk(Slowness slowness, Panel panel)
        : slow(accessibility, slowness),
          shellPorts{qtShell,          qtShell,
                     qtShell,          inert.directoryWatcher,
                     inert.loginItems, inert.alerts,
                     inert.updater,    panel == Panel::absent ? nullptr : &qtShell} {
        std::vector<std::string> hidden;
        for (const auto& running : applicationsFrom(1000)) {
            hidden.push_back(*running.bundleIdentifier);
        }
        writeHiddenSet(hidden);
        // The simulated workspace draws an application's icon the first time it lists it; a
        // real one hands out the icon it has. Both generations of processes are listed once
        // beforehand, so that no iteration measures that drawing.
        for (const std::int32_t base : {2000, 1000}) {
            simulation.update(
                [&](SimulatedDesktop& desktop) { desktop.applications = applicationsFrom(base); });
            benchmark::DoNotOptimize(workspace.runningApplications());
        }
        qtShell.trayAvailable = [] {
            return true;
        };
    }

    SlowApplication slow;
    QtImageRenderer qtRenderer;
    qt::QtShell qtShell;
    test::InertShell inert;
    const ShellPorts shellPorts;
    const Platform platform = SimulatedPlatform::platform({.accessibility = &slow,
                                                           .imageRenderer = &qtRenderer,
                                                           .application = theApplication,
                                                           .shell = &shellPorts});
};

// Turns the loop until `publishes` lists were published (the list, then its pictures) and a
// little longer, for the layout and painting they cause; false after ten seconds without them.
bool runUntilPublished(MenuBarController& controller, int publishes) {
    int seen = 0;
    const auto id = controller.observe([&](MenuBarController::Field field) {
        if (field == MenuBarController::Field::hiddenItems) {
            ++seen;
        }
    });
    QEventLoop loop;
    QTimer check;
    check.setInterval(5);
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    std::optional<Clock::time_point> settledAt;
    QObject::connect(&check, &QTimer::timeout, [&] {
        const auto now = Clock::now();
        if (seen >= publishes && !settledAt) {
            settledAt = now;
        }
        if ((settledAt && now - *settledAt > std::chrono::milliseconds(50)) || now > deadline) {
            loop.quit();
        }
    });
    check.start();
    loop.exec();
    controller.removeObserver(id);
    return seen >= publishes;
}

void LongestTurn(benchmark::State& state, Slowness slowness, Panel panel) {
    const bool panelShown = panel == Panel::shown;
    const QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
    if (dispatcher == nullptr ||
        std::string(dispatcher->metaObject()->className()).find("Glib") == std::string::npos) {
        state.SkipWithError("the loop does not run on GLib's main context; nothing to measure");
        return;
    }
    Desk desk(slowness, panel);
    auto delegate = std::make_shared<AppDelegate>(desk.platform, *theApplication);
    delegate->applicationDidFinishLaunching();
    // The initial refresh and its pictures, not measured.
    if (!runUntilPublished(*delegate->controller(), 2)) {
        state.SkipWithError("the initial refresh did not finish");
        return;
    }
    if (panelShown) {
        delegate->togglePopover();
        runUntilPublished(*delegate->controller(), 0);
        if (!desk.qtShell.isShown()) {
            state.SkipWithError("the popover did not open");
            return;
        }
    }

    Clock::duration longest{};
    std::chrono::nanoseconds longestThreadTime{};
    std::int32_t base = 1000;
    for (auto _ : state) {
        // Every application quits and starts again: a new scan, a new list, new pictures.
        base = base == 1000 ? 2000 : 1000;
        desk.simulation.update(
            [&](SimulatedDesktop& desktop) { desktop.applications = applicationsFrom(base); });
        meter.longest = {};
        meter.longestThreadTime = {};
        meter.measuring = true;
        desk.workspace.notify(WorkspaceNotification::didLaunchApplication);
        const bool finished = runUntilPublished(*delegate->controller(), 2);
        meter.measuring = false;
        if (!finished) {
            state.SkipWithError("the refresh did not publish in time");
            break;
        }
        longest = std::max(longest, meter.longest);
        longestThreadTime = std::max(longestThreadTime, meter.longestThreadTime);
    }
    state.counters["longest_turn_ms"] = std::chrono::duration<double, std::milli>(longest).count();
    state.counters["longest_turn_cpu_ms"] =
        std::chrono::duration<double, std::milli>(longestThreadTime).count();

    if (panelShown) {
        delegate->togglePopover();
    }
    delegate->applicationWillTerminate();
}

BENCHMARK_CAPTURE(LongestTurn, hang_before_scan_panel_shown, Slowness::hangsBeforeScan,
                  Panel::shown)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(LongestTurn, hang_after_scan_panel_shown, Slowness::hangsAfterScan, Panel::shown)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(LongestTurn, slow_answers_panel_shown, Slowness::answersSlowly, Panel::shown)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(LongestTurn, hang_before_scan_panel_hidden, Slowness::hangsBeforeScan,
                  Panel::hidden)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(LongestTurn, hang_after_scan_panel_hidden, Slowness::hangsAfterScan,
                  Panel::hidden)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(LongestTurn, slow_answers_panel_hidden, Slowness::answersSlowly, Panel::hidden)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(LongestTurn, hang_before_scan_panel_absent, Slowness::hangsBeforeScan,
                  Panel::absent)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(LongestTurn, hang_after_scan_panel_absent, Slowness::hangsAfterScan,
                  Panel::absent)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(LongestTurn, slow_answers_panel_absent, Slowness::answersSlowly, Panel::absent)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

// Runs the benchmarks as the loop's first job, so that each of them turns the real loop.
struct BenchmarksAsLaunch final : ApplicationDelegate {
    void applicationDidFinishLaunching() override {
        GMainContext* context = g_main_context_default();
        meter.realPoll = g_main_context_get_poll_func(context);
        g_main_context_set_poll_func(context, measuredPoll);
        benchmark::RunSpecifiedBenchmarks();
        g_main_context_set_poll_func(context, meter.realPoll);
        theApplication->terminate();
    }
    void applicationWillTerminate() override {}
};

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", QByteArray("offscreen"));
    stowbar::QtApplication application;
    theApplication = &application;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    BenchmarksAsLaunch launch;
    application.run(launch);
    benchmark::Shutdown();
    return 0;
}
