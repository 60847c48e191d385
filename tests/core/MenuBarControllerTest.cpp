#include "adapters/sim/SimulatedDesktop.hpp"
#include "core/MenuBarController.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <limits>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "adapters/qt/QtImageRenderer.hpp"
#include "adapters/sim/DesktopSimulation.hpp"
#include "adapters/sim/ForwardingAccessibility.hpp"
#include "adapters/sim/SimulatedAccessibility.hpp"
#include "platform/Accessibility.hpp"
#include "platform/Geometry.hpp"
#include "platform/Platform.hpp"
#include "platform/ScreenCapture.hpp"
#include "runtime/ManualExecutor.hpp"
#include "runtime/Spawn.hpp"
#include "runtime/Task.hpp"
#include "support/FakeSystemInfo.hpp"
#include "support/InertShell.hpp"
#include "support/PlistBuilder.hpp"
#include "support/SimulatedDesktopBuilders.hpp"
#include "support/SimulatedPlatform.hpp"
#include "support/TemporaryDirectory.hpp"

namespace stowbar {
namespace {

using namespace std::chrono_literals;
using Field = MenuBarController::Field;
using test::extraAt;
using Identities = std::vector<std::pair<std::uint32_t, std::uint32_t>>;

// A running application; inside the fixture `application` names the fake one.
SimulatedApplication app(std::int32_t pid, std::string name,
                         std::vector<SimulatedExtra> extras = {}) {
    return test::application(pid, std::move(name), std::move(extras));
}

SimulatedExtra extraWithWindow(double y, std::uint32_t window) {
    auto extra = extraAt(1500, y, 24, 22);
    extra.window = window;
    return extra;
}

// Holds every screen-capture completion until the test lets it go, so that a capture pass
// can be kept suspended while other work runs.
struct HeldScreenCapture final : ScreenCapture {
    explicit HeldScreenCapture(ScreenCapture& real) : inner(real) {}
    void getShareableContent(ContentCompletion completion) override {
        held.push_back([this, completion] { inner.getShareableContent(completion); });
    }
    void captureImage(const ShareableWindow& window, const CaptureConfiguration& configuration,
                      ImageCompletion completion) override {
        held.push_back([this, window, configuration, completion] {
            inner.captureImage(window, configuration, completion);
        });
    }
    void releaseAll() {
        // A completion may hold more; the reference to the running one stays valid meanwhile.
        for (; !held.empty(); held.pop_front()) {
            held.front()();
        }
    }
    ScreenCapture& inner;
    std::deque<std::function<void()>> held;
};

// Holds every request that resolves a window number of one application (the window-number
// function and the attributes the search walks) until the test lets it go, as an application
// that answered the scan and then hangs would. A request made on the main thread is counted
// and answered at once instead, so that a test of the old shape fails rather than hangs.
struct WindowNumbersOnHold final : ForwardingAccessibility {
    using ForwardingAccessibility::ForwardingAccessibility;
    AXAttributeResult copyAttributeValue(const AXElement& element,
                                         std::string_view attribute) override {
        if (attribute == "AXWindow" || attribute == "AXTopLevelUIElement" ||
            attribute == "AXParent") {
            holdIfAsked(element);
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
                holdIfAsked(element);
                return real(element, number);
            });
    }

    void holdWindowNumbersOf(std::int32_t pid) {
        const std::lock_guard lock(mutex);
        heldPid = pid;
    }
    bool holding() const {
        const std::lock_guard lock(mutex);
        return waiting > 0;
    }
    void release() {
        const std::lock_guard lock(mutex);
        heldPid.reset();
        changed.notify_all();
    }

    void holdIfAsked(const AXElement& element) {
        std::unique_lock lock(mutex);
        if (!heldPid || SimulatedAccessibility::processOf(element) != heldPid) {
            return;
        }
        if (std::this_thread::get_id() == mainThread) {
            ++mainThreadRequests;
            return;
        }
        ++waiting;
        changed.wait(lock, [this] { return !heldPid; });
        --waiting;
    }

    const std::thread::id mainThread = std::this_thread::get_id();
    mutable std::mutex mutex;
    std::condition_variable changed;
    std::optional<std::int32_t> heldPid;
    int waiting = 0;
    int mainThreadRequests = 0;
};

class MenuBarControllerTest : public ::testing::Test, protected test::SimulatedPlatform {
  protected:
    MenuBarControllerTest() {
        system.pid = 100;
        controller = std::make_shared<MenuBarController>(ports, executor);
        controller->observe([this](Field field) { assigned.push_back(field); });
    }

    auto writeUnparsableFile() { return home.write(test::kControlCenterFile, test::bytesOf("x")); }
    void setDesktop(std::vector<SimulatedApplication> applications) {
        simulation.update(
            [&](SimulatedDesktop& desktop) { desktop.applications = std::move(applications); });
    }

    // Starts a refresh as a task of its own, as every caller does.
    void startRefresh() {
        spawn(executor, [](std::shared_ptr<MenuBarController> c) -> Task<void> {
            co_await c->refresh();
        }(controller));
    }
    void refresh() {
        startRefresh();
        executor.runUntilIdle();
    }

    std::vector<std::string> names() const {
        std::vector<std::string> result;
        for (const auto& item : controller->hiddenItems()) {
            result.push_back(item.appName);
        }
        return result;
    }
    void releaseCaptures() {
        executor.runUntilIdle();
        while (!heldCapture.held.empty()) {
            heldCapture.releaseAll();
            executor.runUntilIdle();
        }
    }
    Identities identities() const {
        Identities result;
        for (const auto& item : controller->hiddenItems()) {
            result.emplace_back(item.id, item.windowID);
        }
        return result;
    }
    long count(Field field) const { return std::count(assigned.begin(), assigned.end(), field); }

    WindowNumbersOnHold onHold{accessibility};
    HeldScreenCapture heldCapture{screenCapture};
    QtImageRenderer renderer;
    test::InertShell inertShell;
    const Platform ports = platform({.accessibility = &onHold,
                                     .screenCapture = &heldCapture,
                                     .imageRenderer = &renderer,
                                     .shell = &inertShell.ports});
    ManualExecutor executor;
    std::shared_ptr<MenuBarController> controller;
    std::vector<Field> assigned;
};

TEST_F(MenuBarControllerTest, FirstRefreshPublishesHiddenExtrasInWorkspaceOrderThenTheirPictures) {
    writeHiddenSet({"com.example.gamma", "com.example.alpha", "com.example.beta"});
    setDesktop({app(401, "alpha", {extraWithWindow(-30, 811)}),
                app(402, "beta", {extraWithWindow(-30, 812)}),
                app(403, "shown", {extraWithWindow(0, 813)}),
                app(404, "gamma", {extraWithWindow(-30, 814)})});

    refresh();
    EXPECT_EQ(assigned, (std::vector<Field>{Field::isLoading, Field::accessibilityGranted,
                                            Field::fullDiskAccessGranted, Field::hiddenItems,
                                            Field::isLoading}))
        << "loading is set first and cleared last";
    EXPECT_EQ(names(), (std::vector<std::string>{"alpha", "beta", "gamma"}));
    for (const auto& item : controller->hiddenItems()) {
        ASSERT_TRUE(item.icon && item.icon->bitmap());
        EXPECT_EQ(item.icon->size(), (Size{18, 18})) << "the application icon, redrawn";
        EXPECT_EQ(item.icon->bitmap()->width, 36);
    }

    releaseCaptures();
    EXPECT_EQ(count(Field::hiddenItems), 2) << "the list, then the list with pictures";
    for (const auto& item : controller->hiddenItems()) {
        ASSERT_TRUE(item.icon && item.icon->bitmap());
        EXPECT_EQ(item.icon->size(), (Size{24, 22})) << "a capture measures the frame";
        EXPECT_EQ(item.icon->bitmap()->width, 48);
        EXPECT_EQ(item.icon->bitmap()->height, 44);
    }
    EXPECT_EQ(simulation.lock()->captures.size(), 3u);
}

TEST_F(MenuBarControllerTest, TheHiddenSetDecidesFirstAndWithoutASnapshotOnlyThePositionCounts) {
    constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        double top;
        bool listedWhenHidden;
        bool listedWithoutSnapshot;
    };
    const Case cases[] = {{-1, true, true},   {0, true, false},  {50, true, false},
                          {100, true, false}, {101, true, true}, {kNaN, true, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.top);
        for (const bool snapshot : {true, false}) {
            controller = std::make_shared<MenuBarController>(ports, executor);
            snapshot ? writeHiddenSet({"com.example.alpha"}) : writeUnparsableFile();
            setDesktop({app(401, "alpha", {extraAt(1500, c.top, 22, 22)})});
            refresh();
            EXPECT_EQ(controller->hiddenItems().size(),
                      (snapshot ? c.listedWhenHidden : c.listedWithoutSnapshot) ? 1u : 0u)
                << (snapshot ? "hidden set" : "no snapshot");
        }
    }
}

TEST_F(MenuBarControllerTest, ExtrasWithoutAWindowNumberAreIdentifiedByTheirPositionInTheScan) {
    writeUnparsableFile();
    setDesktop({app(401, "alpha",
                    {extraAt(10, 0, 22, 22), extraAt(40, -30, 22, 22), extraAt(70, -30, 22, 22)}),
                app(402, "beta", {extraWithWindow(-30, 812)})});
    refresh();
    EXPECT_EQ(identities(), (Identities{{2, 0}, {3, 0}, {812, 812}}));
}

TEST_F(MenuBarControllerTest, InitialIconsComeFromTheBundleThenTheNameThenTheSymbol) {
    writeUnparsableFile();
    auto byBundle = app(401, "byBundle", {extraAt(0, -30, 22, 22)});
    auto byName = app(402, "byName", {extraAt(0, -30, 22, 22)});
    byName.bundleIdentifier.reset();
    auto iconless = app(403, "iconless", {extraAt(0, -30, 22, 22)});
    iconless.icon = false;
    // Another application of the same name: its extra shows its own icon, not the first
    // one of that name.
    auto namesake = app(404, "byBundle", {extraAt(0, -30, 22, 22)});
    namesake.bundleIdentifier = "com.example.namesake";
    setDesktop({byBundle, byName, iconless, namesake});
    refresh();
    const auto& items = controller->hiddenItems();
    ASSERT_EQ(items.size(), 4u);
    EXPECT_TRUE(items[0].icon->bitmap());
    EXPECT_TRUE(items[1].icon->bitmap());
    EXPECT_EQ(items[2].icon->symbolName(), "app.badge");
    ASSERT_TRUE(items[3].icon->bitmap());
    EXPECT_NE(items[3].icon->bitmap()->pixels, items[0].icon->bitmap()->pixels);
}

TEST_F(MenuBarControllerTest,
       AnApplicationThatHangsWhileItsWindowNumberIsResolvedLeavesTheMainThreadFree) {
    writeHiddenSet({"com.example.alpha", "com.example.beta"});
    setDesktop({app(401, "alpha", {extraWithWindow(-30, 811)}),
                app(402, "beta", {extraWithWindow(-30, 812)})});
    onHold.holdWindowNumbersOf(401);
    // Whatever happens below, the held job is let go before the executor waits for it.
    const std::unique_ptr<WindowNumbersOnHold, void (*)(WindowNumbersOnHold*)> letGo(
        &onHold, [](WindowNumbersOnHold* held) { held->release(); });

    startRefresh();
    executor.runDue();
    // Until the background job either hangs on alpha or ends without asking for its window.
    while (!onHold.holding() && executor.backgroundJobCount() > 0) {
        std::this_thread::yield();
    }
    ASSERT_TRUE(onHold.holding()) << "window numbers are resolved by the background job";

    bool ran = false;
    executor.post([&] { ran = true; });
    executor.runDue();
    EXPECT_TRUE(ran) << "the main thread goes on while alpha does not answer";
    EXPECT_TRUE(controller->isLoading());
    EXPECT_TRUE(controller->hiddenItems().empty()) << "nothing is published half done";

    // Alpha stops answering altogether: its window number cannot be had.
    simulation.update([](SimulatedDesktop& desktop) { desktop.applications[0].responds = false; });
    onHold.release();
    executor.runUntilIdle();
    EXPECT_EQ(onHold.mainThreadRequests, 0);
    EXPECT_GT(simulation.record().of(401).secondsWaited, 0) << "alpha cost its timeouts";
    EXPECT_EQ(identities(), (Identities{{1, 0}, {812, 812}}))
        << "alpha keeps its place with a positional id";
    EXPECT_FALSE(controller->isLoading());
}

TEST_F(MenuBarControllerTest, ACapturePassPutsItsPicturesIntoANewerListInsteadOfTheOldOne) {
    struct Case {
        const char* what;
        std::vector<SimulatedApplication> newer;
        std::vector<std::string> names;
    };
    const Case cases[] = {
        {"a list that grew",
         {app(401, "alpha", {extraWithWindow(-30, 811)}),
          app(402, "beta", {extraWithWindow(-30, 812)})},
         {"alpha", "beta"}},
        {"a list that emptied", {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        writeHiddenSet({"com.example.alpha", "com.example.beta"});
        setDesktop({app(401, "alpha", {extraWithWindow(-30, 811)})});
        refresh();  // publishes [alpha]; its capture pass waits on the held capture
        ASSERT_EQ(heldCapture.held.size(), 1u);

        setDesktop(c.newer);
        refresh();  // publishes the newer list; a pass of its own waits too, if it has pictures

        // The old pass ends first, then the newer one: neither may bring the old list back.
        while (!heldCapture.held.empty()) {
            heldCapture.held.front()();
            heldCapture.held.pop_front();
            executor.runUntilIdle();
            EXPECT_EQ(names(), c.names) << "the newer list survives";
        }
        for (const auto& item : controller->hiddenItems()) {
            EXPECT_EQ(item.icon->size(), (Size{24, 22})) << item.appName << " got its picture";
        }
        setDesktop({});
        refresh();
    }
}

TEST_F(MenuBarControllerTest, ARelaunchedApplicationIsPublishedSoThatItsRowPressesTheNewProcess) {
    writeHiddenSet({"com.example.alpha"});
    setDesktop({app(401, "alpha", {extraWithWindow(-30, 811)})});
    refresh();

    setDesktop({app(501, "alpha", {extraWithWindow(-30, 911)})});
    assigned.clear();
    refresh();
    EXPECT_EQ(count(Field::hiddenItems), 1);
    ASSERT_EQ(controller->hiddenItems().size(), 1u);
    EXPECT_EQ(controller->hiddenItems()[0].pid, 501);
    EXPECT_EQ(onHold.performAction(controller->hiddenItems()[0].axElement, "AXPress"),
              kAXErrorSuccess)
        << "the row presses the running process, not the one that quit";
}

class DelayedRetryTest : public MenuBarControllerTest {
  protected:
    DelayedRetryTest() {
        writeHiddenSet({"com.example.alpha", "com.example.late"});
        setDesktop({app(401, "alpha", {extraWithWindow(-30, 811)}), app(402, "late")});
    }
    int lateScans() const {
        return simulation.record().of(402).attributeRequestsFor("AXExtrasMenuBar");
    }
    void at(std::chrono::milliseconds when) { executor.advanceTo(TimePoint{} + when); }
};

TEST_F(DelayedRetryTest, AnEqualSignatureKeepsTheWaitingRetryAndADifferentOneReplacesIt) {
    refresh();
    at(5000ms);
    refresh();  // same situation, misses again: the first retry keeps its time
    EXPECT_EQ(lateScans(), 2);
    at(12000ms);
    EXPECT_EQ(lateScans(), 3) << "fired 12 s after the first miss";

    at(15000ms);
    simulation.update([](SimulatedDesktop& desktop) {
        desktop.applications.push_back(test::application(403, "extra"));
    });
    writeHiddenSet({"com.example.alpha", "com.example.late", "com.example.extra"});
    refresh();  // different signature at 15 s: the retry due at 24 s is replaced by one at 27 s
    const int afterTrigger = lateScans();
    at(26999ms);
    EXPECT_EQ(lateScans(), afterTrigger);
    at(27000ms);
    EXPECT_EQ(lateScans(), afterTrigger + 1);
}

TEST_F(DelayedRetryTest, ARetryEndsWhenTheMissedApplicationQuitsOrAPermissionIsWithdrawn) {
    for (const bool quit : {true, false}) {
        SCOPED_TRACE(quit ? "application quit" : "permission withdrawn");
        controller = std::make_shared<MenuBarController>(ports, executor);
        setDesktop({app(401, "alpha", {extraWithWindow(-30, 811)}), app(402, "late")});
        simulation.update([](SimulatedDesktop& desktop) { desktop.accessibilityTrusted = true; });
        refresh();
        ASSERT_TRUE(controller->hasPendingRetry());
        const int before = lateScans();
        if (quit) {
            simulation.update([](SimulatedDesktop& desktop) { desktop.applications.pop_back(); });
            refresh();
            EXPECT_FALSE(controller->hasPendingRetry());
        } else {
            simulation.update(
                [](SimulatedDesktop& desktop) { desktop.accessibilityTrusted = false; });
        }
        executor.advanceBy(60s);
        EXPECT_EQ(lateScans(), before) << "no retry scanned again";
        EXPECT_FALSE(controller->hasPendingRetry());
    }
}

}  // namespace
}  // namespace stowbar
