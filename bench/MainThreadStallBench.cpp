// What a user feels while one application is slow: the longest single turn of the real Qt
// event loop, from the moment the loop wakes up until it next waits for input. During such a
// turn the program answers no click and draws nothing, so no turn should last longer than a
// millisecond, whatever another application does.
//
// The whole program runs here: the application delegate, the Qt status item, popup and panel
// on Qt's offscreen platform, and the simulated desktop, of which one of 50 hidden
// applications (3 extras each) is slow in one of five ways. In the refresh cases each
// iteration relaunches every application (so the list is published again) and waits for the
// refresh and its pictures; in the press cases each iteration opens the panel and clicks a row
// of the slow application, and waits for its answer to the press.
//
// Each iteration's longest turn is noted; the median and the maximum over the iterations are
// reported, in processor time of the main thread (what the program itself spent, which the
// goal is judged on) and in wall time (which on a shared machine also holds other processes'
// time). Beside the maximum: in which iteration it came, and whether that turn published a
// list (the panel then lays out and draws its rows).
//
// A turn is measured between two waits of the loop: the poll function of GLib's main context,
// which Qt's event dispatcher uses on Linux, is wrapped to note when the loop leaves a wait
// and when it enters the next one.

#include <glib.h>

#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <time.h>
#include <QAbstractEventDispatcher>
#include <QByteArray>
#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QObject>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <optional>
#include <ratio>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
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
#include "platform/Image.hpp"
#include "platform/Platform.hpp"
#include "platform/ScreenCapture.hpp"
#include "platform/ShellPorts.hpp"
#include "platform/StatusItemInfo.hpp"
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
    // Set when the current turn published a list; kept for the longest turn in processor time,
    // with the page faults and the involuntary switches (preemptions) made during it.
    bool publishedThisTurn = false;
    bool longestPublished = false;
    // Likewise whether the toolkit laid out or painted a window during the turn.
    bool paintedThisTurn = false;
    bool longestPainted = false;
    // Processor time the simulated desktop spent listing windows and drawing pictures during
    // the turn: work that a real desktop does in its own process.
    std::chrono::nanoseconds simulatorThisTurn{};
    std::chrono::nanoseconds longestSimulator{};
    rusage wokeAtUsage{};
    long longestFaults = 0;
    long longestPreemptions = 0;
} meter;

rusage threadUsage() {
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    return usage;
}

gint measuredPoll(GPollFD* descriptors, guint count, gint timeout) {
    if (meter.measuring && meter.awake) {
        meter.longest = std::max(meter.longest, Clock::now() - meter.wokeAt);
        const auto used = threadTime() - meter.wokeAtThreadTime;
        if (used > meter.longestThreadTime) {
            const rusage usage = threadUsage();
            meter.longestThreadTime = used;
            meter.longestPublished = meter.publishedThisTurn;
            meter.longestPainted = meter.paintedThisTurn;
            meter.longestSimulator = meter.simulatorThisTurn;
            meter.longestFaults = (usage.ru_minflt - meter.wokeAtUsage.ru_minflt) +
                                  (usage.ru_majflt - meter.wokeAtUsage.ru_majflt);
            meter.longestPreemptions = usage.ru_nivcsw - meter.wokeAtUsage.ru_nivcsw;
        }
    }
    const gint result = meter.realPoll(descriptors, count, timeout);
    meter.wokeAt = Clock::now();
    meter.wokeAtThreadTime = threadTime();
    meter.wokeAtUsage = threadUsage();
    meter.awake = true;
    meter.publishedThisTurn = false;
    meter.paintedThisTurn = false;
    meter.simulatorThisTurn = {};
    return result;
}

// Starts measuring with a turn that begins now, so that the harness's own work before it
// (building the next desktop) is not counted as the program's.
void startMeasuring() {
    meter.wokeAt = Clock::now();
    meter.wokeAtThreadTime = threadTime();
    meter.wokeAtUsage = threadUsage();
    meter.publishedThisTurn = false;
    meter.paintedThisTurn = false;
    meter.simulatorThisTurn = {};
    meter.longest = {};
    meter.longestThreadTime = {};
    meter.longestPublished = false;
    meter.longestPainted = false;
    meter.longestSimulator = {};
    meter.longestFaults = 0;
    meter.longestPreemptions = 0;
    meter.measuring = true;
}

// Each iteration's longest turn, summed up as the median and the maximum.
struct Turns {
    std::vector<double> wallMilliseconds;
    std::vector<double> processorMilliseconds;
    std::vector<bool> published;
    std::vector<bool> painted;
    std::vector<double> simulatorMilliseconds;
    std::vector<long> faults;
    std::vector<long> preemptions;

    void note() {
        wallMilliseconds.push_back(
            std::chrono::duration<double, std::milli>(meter.longest).count());
        processorMilliseconds.push_back(
            std::chrono::duration<double, std::milli>(meter.longestThreadTime).count());
        published.push_back(meter.longestPublished);
        painted.push_back(meter.longestPainted);
        simulatorMilliseconds.push_back(
            std::chrono::duration<double, std::milli>(meter.longestSimulator).count());
        faults.push_back(meter.longestFaults);
        preemptions.push_back(meter.longestPreemptions);
    }
    static double median(std::vector<double> values) {
        if (values.empty()) {
            return 0;
        }
        std::sort(values.begin(), values.end());
        const std::size_t middle = values.size() / 2;
        return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
    }
    void report(benchmark::State& state) const {
        if (processorMilliseconds.empty()) {
            return;
        }
        const auto slowest =
            std::max_element(processorMilliseconds.begin(), processorMilliseconds.end());
        const auto at = static_cast<std::size_t>(slowest - processorMilliseconds.begin());
        state.counters["longest_turn_ms_median"] = median(wallMilliseconds);
        state.counters["longest_turn_ms_max"] =
            *std::max_element(wallMilliseconds.begin(), wallMilliseconds.end());
        state.counters["longest_turn_cpu_ms_median"] = median(processorMilliseconds);
        state.counters["longest_turn_cpu_ms_max"] = *slowest;
        state.counters["slowest_iteration"] = static_cast<double>(at);
        state.counters["slowest_published"] = published[at] ? 1 : 0;
        state.counters["slowest_painted"] = painted[at] ? 1 : 0;
        state.counters["slowest_simulator_cpu_ms"] = simulatorMilliseconds[at];
        state.counters["slowest_page_faults"] = static_cast<double>(faults[at]);
        state.counters["slowest_preemptions"] = static_cast<double>(preemptions[at]);
    }
};

// Enough iterations for a median and a maximum that mean something, few enough that a case
// with an application hanging on every request takes seconds, not minutes.
constexpr int kIterations = 11;

enum class Slowness : std::uint8_t {
    hangsBeforeScan,
    hangsAfterScan,
    answersSlowly,
    // Answers the scan at once, then hangs on the press, or answers it slowly.
    hangsOnPress,
    pressesSlowly,
};
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
    AXError performAction(const AXElement& element, std::string_view action) override {
        if (slow(element)) {
            if (kind == Slowness::hangsOnPress) {
                std::this_thread::sleep_for(kHungRequest);
                ++pressesAnswered;
                return kAXErrorCannotComplete;
            }
            if (kind == Slowness::pressesSlowly) {
                std::this_thread::sleep_for(kSlowAnswer);
            }
        }
        const AXError answer = inner_.performAction(element, action);
        ++pressesAnswered;
        return answer;
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
            case Slowness::hangsOnPress:
            case Slowness::pressesSlowly:
                return false;
        }
        return false;
    }

    Slowness kind;
    std::atomic<int> pressesAnswered = 0;
};

// The simulated screen capture, its own processor time on the main thread noted per turn (it
// answers inline, so the time until it calls back is its own).
struct TimedCapture final : ScreenCapture {
    explicit TimedCapture(ScreenCapture& real) : inner(real) {}
    void getShareableContent(ContentCompletion completion) override {
        const auto start = threadTime();
        inner.getShareableContent([start, completion = std::move(completion)](
                                      std::optional<std::vector<ShareableWindow>> windows) {
            meter.simulatorThisTurn += threadTime() - start;
            completion(std::move(windows));
        });
    }
    void captureImage(const ShareableWindow& window, const CaptureConfiguration& configuration,
                      ImageCompletion completion) override {
        const auto start = threadTime();
        inner.captureImage(
            window, configuration,
            [start, completion = std::move(completion)](std::optional<Bitmap> bitmap) {
                meter.simulatorThisTurn += threadTime() - start;
                completion(std::move(bitmap));
            });
    }
    ScreenCapture& inner;
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
          timedCapture(screenCapture),
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
    TimedCapture timedCapture;
    QtImageRenderer qtRenderer;
    qt::QtShell qtShell;
    test::InertShell inert;
    const ShellPorts shellPorts;
    const Platform platform = SimulatedPlatform::platform({.accessibility = &slow,
                                                           .screenCapture = &timedCapture,
                                                           .imageRenderer = &qtRenderer,
                                                           .application = theApplication,
                                                           .shell = &shellPorts});
};

// Turns the loop until `done` holds and a little longer, for the layout and painting that
// follows; false after ten seconds without it.
bool runUntil(const std::function<bool()>& done) {
    QEventLoop loop;
    QTimer check;
    check.setInterval(5);
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    std::optional<Clock::time_point> settledAt;
    bool held = false;
    QObject::connect(&check, &QTimer::timeout, [&] {
        const auto now = Clock::now();
        if (!settledAt && done()) {
            held = true;
            settledAt = now;
        }
        if ((settledAt && now - *settledAt > std::chrono::milliseconds(50)) || now > deadline) {
            loop.quit();
        }
    });
    check.start();
    loop.exec();
    return held;
}

// Turns the loop until `publishes` lists were published (the list, then its pictures); each
// publication marks the turn it happens in.
bool runUntilPublished(MenuBarController& controller, int publishes) {
    int seen = 0;
    const auto id = controller.observe([&](MenuBarController::Field field) {
        if (field == MenuBarController::Field::hiddenItems) {
            ++seen;
            meter.publishedThisTurn = true;
        }
    });
    const bool published = runUntil([&] { return seen >= publishes; });
    controller.removeObserver(id);
    return published;
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

    Turns turns;
    std::int32_t base = 1000;
    for (auto _ : state) {
        // Every application quits and starts again: a new scan, a new list, new pictures.
        base = base == 1000 ? 2000 : 1000;
        desk.simulation.update(
            [&](SimulatedDesktop& desktop) { desktop.applications = applicationsFrom(base); });
        startMeasuring();
        desk.workspace.notify(WorkspaceNotification::didLaunchApplication);
        const bool finished = runUntilPublished(*delegate->controller(), 2);
        meter.measuring = false;
        if (!finished) {
            state.SkipWithError("the refresh did not publish in time");
            break;
        }
        turns.note();
    }
    turns.report(state);

    if (panelShown) {
        delegate->togglePopover();
    }
    delegate->applicationWillTerminate();
}

// A click on a row of the slow application with the panel shown: the popover closes, and
// 0.15 s later the extra is pressed. Measured from the click until the press was answered and
// its answer taken back on the main thread.
void LongestPressTurn(benchmark::State& state, Slowness slowness) {
    const QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
    if (dispatcher == nullptr ||
        std::string(dispatcher->metaObject()->className()).find("Glib") == std::string::npos) {
        state.SkipWithError("the loop does not run on GLib's main context; nothing to measure");
        return;
    }
    Desk desk(slowness, Panel::shown);
    auto delegate = std::make_shared<AppDelegate>(desk.platform, *theApplication);
    delegate->applicationDidFinishLaunching();
    if (!runUntilPublished(*delegate->controller(), 2)) {
        state.SkipWithError("the initial refresh did not finish");
        return;
    }
    const auto& items = delegate->controller()->hiddenItems();
    const auto row = std::find_if(items.begin(), items.end(), [](const StatusItemInfo& item) {
        return item.pid % 1000 == kSlowApplication;
    });
    if (row == items.end()) {
        state.SkipWithError("the slow application has no row");
        return;
    }
    // A copy: a showing's refresh may replace the list, and the row with it.
    // NOLINTNEXTLINE(performance-unnecessary-copy-initialization)
    const StatusItemInfo item = *row;

    Turns turns;
    for (auto _ : state) {
        delegate->togglePopover();
        runUntil([&] { return desk.qtShell.isShown(); });
        // A click on the same row counts again only after the duplicate window.
        desk.system.uptime += std::chrono::seconds(1);
        const int answered = desk.slow.pressesAnswered;
        startMeasuring();
        delegate->activate(item);
        const bool finished = runUntil([&] { return desk.slow.pressesAnswered > answered; });
        meter.measuring = false;
        if (!finished) {
            state.SkipWithError("the press was not answered in time");
            break;
        }
        turns.note();
    }
    turns.report(state);
    delegate->applicationWillTerminate();
}

BENCHMARK_CAPTURE(LongestTurn, hang_before_scan_panel_shown, Slowness::hangsBeforeScan,
                  Panel::shown)
    ->Iterations(kIterations)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(LongestTurn, hang_after_scan_panel_shown, Slowness::hangsAfterScan, Panel::shown)
    ->Iterations(kIterations)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(LongestTurn, slow_answers_panel_shown, Slowness::answersSlowly, Panel::shown)
    ->Iterations(kIterations)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(LongestTurn, hang_before_scan_panel_hidden, Slowness::hangsBeforeScan,
                  Panel::hidden)
    ->Iterations(kIterations)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(LongestTurn, hang_after_scan_panel_hidden, Slowness::hangsAfterScan,
                  Panel::hidden)
    ->Iterations(kIterations)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(LongestTurn, slow_answers_panel_hidden, Slowness::answersSlowly, Panel::hidden)
    ->Iterations(kIterations)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(LongestTurn, hang_before_scan_panel_absent, Slowness::hangsBeforeScan,
                  Panel::absent)
    ->Iterations(kIterations)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(LongestTurn, hang_after_scan_panel_absent, Slowness::hangsAfterScan,
                  Panel::absent)
    ->Iterations(kIterations)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(LongestTurn, slow_answers_panel_absent, Slowness::answersSlowly, Panel::absent)
    ->Iterations(kIterations)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(LongestPressTurn, press_hung, Slowness::hangsOnPress)
    ->Iterations(kIterations)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(LongestPressTurn, press_slow, Slowness::pressesSlowly)
    ->Iterations(kIterations)
    ->Unit(benchmark::kMillisecond);

// Marks the turns in which the toolkit lays out or paints a window.
struct PaintWatch final : QObject {
    bool eventFilter(QObject* watched, QEvent* event) override {
        const auto type = event->type();
        if (type == QEvent::Paint || type == QEvent::UpdateRequest ||
            type == QEvent::LayoutRequest) {
            meter.paintedThisTurn = true;
        }
        return QObject::eventFilter(watched, event);
    }
};

// Runs the benchmarks as the loop's first job, so that each of them turns the real loop.
struct BenchmarksAsLaunch final : ApplicationDelegate {
    void applicationDidFinishLaunching() override {
        PaintWatch paintWatch;
        QCoreApplication::instance()->installEventFilter(&paintWatch);
        GMainContext* context = g_main_context_default();
        meter.realPoll = g_main_context_get_poll_func(context);
        g_main_context_set_poll_func(context, measuredPoll);
        benchmark::RunSpecifiedBenchmarks();
        g_main_context_set_poll_func(context, meter.realPoll);
        QCoreApplication::instance()->removeEventFilter(&paintWatch);
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
