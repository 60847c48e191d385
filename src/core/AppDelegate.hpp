#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/ControlCenterTrackedApps.hpp"
#include "core/HiddenItemPanelModel.hpp"
#include "core/InteractionEngine.hpp"
#include "core/LaunchAtLoginManager.hpp"
#include "core/MenuBarController.hpp"
#include "platform/Application.hpp"
#include "platform/Platform.hpp"
#include "runtime/Spawn.hpp"
#include "runtime/Task.hpp"
#include "runtime/Weakly.hpp"

namespace stowbar {

// The single long-lived object of the menu bar application: it owns everything the running
// application consists of, from launch to termination, and keeps the list of hidden extras
// current in the background. It refreshes on application launches and terminations, on changes
// in Control Center's preferences folder, and from a two-second poll of the two permissions and
// the preferences file's fingerprint; the same tick lets the status item, while no tray is
// there to show it, look for one again.
//
// Threading: constructed, called and destroyed on the main thread only; every entry point
// checks it. Every callback and task it hands out holds it weakly (see weakly) and does nothing
// once it is gone, so it must be owned by a std::shared_ptr; a refresh or a press already under
// way runs to its end on what it holds.
class AppDelegate final : public ApplicationDelegate,
                          public std::enable_shared_from_this<AppDelegate> {
  public:
    // Every interval is a whole number of nanoseconds, and so is every instant compared with
    // one, so that a boundary falls at the same place whatever the clock or uptime reads.
    static constexpr Duration kBackgroundRefreshDebounce = std::chrono::milliseconds(300);
    static constexpr Duration kPollInterval = std::chrono::seconds(2);
    static constexpr Duration kDuplicateActivationWindow = std::chrono::milliseconds(350);
    static constexpr const char* kStatusItemSymbol = "chevron.down.2";
    static constexpr const char* kStatusItemDescription = "Stowbar";
    static constexpr Size kInitialPopoverSize{300, 200};
    static constexpr Duration kPressDelay = std::chrono::milliseconds(150);

    // Builds the parts that exist before launch and starts the updater. The platform and the
    // executor are borrowed and must outlive the delegate.
    AppDelegate(const Platform& platform, MainExecutor& executor);
    AppDelegate(const AppDelegate&) = delete;
    AppDelegate& operator=(const AppDelegate&) = delete;
    ~AppDelegate() override = default;

    void applicationDidFinishLaunching() override;
    void applicationWillTerminate() override;

    // The status item's action, and the popover's notification that it was shown.
    void togglePopover();
    void popoverDidShow();
    // The panel's update control.
    void checkForUpdates();
    // A click on a row of the panel: unless it repeats the last accepted click on the same
    // hidden extra within the duplicate window, the popover closes at once (and stops watching
    // clicks outside it) and the extra is pressed 0.15 s later, once the popover is out of the
    // way. The press is a request to the extra's application, made on a background job: one
    // that does not answer holds no turn of the main thread.
    void activate(const StatusItemInfo& item);

    // The debounce every event-driven refresh goes through: one refresh, 0.3 s after the last
    // of a burst of calls.
    void scheduleBackgroundRefresh();

    // Present once launch finished.
    const std::shared_ptr<MenuBarController>& controller() const { return controller_; }
    // What is armed, for tests.
    bool hasPollTimer() const { return pollTimer_.has_value(); }
    bool hasDirectoryWatch() const { return prefsMonitorSource_ != nullptr; }

  private:
    void setupStatusItem();
    void setupPopover();
    void setupBackgroundRefreshObservers();
    void setupControlCenterPrefsMonitor();
    void openPopover();
    void closePopover();
    void applyPreferredContentSize();
    void armPollTimer(TimePoint deadline);

    // `f(*this, arguments...)` as a callback that does nothing once the delegate is gone.
    template <typename F>
    auto weakly(F f) {
        return stowbar::weakly(weak_from_this(), std::move(f));
    }
    // The controller while the delegate lives. A task holds it, not the delegate, across a
    // refresh, which then runs to its end even if the delegate goes meanwhile.
    static std::shared_ptr<MenuBarController> controllerOf(
        const std::weak_ptr<AppDelegate>& weakSelf);

    static Task<void> initialRefresh(std::weak_ptr<AppDelegate> weakSelf);
    static Task<void> debouncedRefresh(std::weak_ptr<AppDelegate> weakSelf, Duration delay);
    static Task<void> pollTick(std::weak_ptr<AppDelegate> weakSelf);
    static Task<void> refreshAfterShow(std::weak_ptr<AppDelegate> weakSelf);
    static Task<void> pressAfterDelay(std::weak_ptr<AppDelegate> weakSelf, StatusItemInfo item);
    PanelActions makePanelActions();
    void schedulePanelInputs();
    void pushPanelInputs();

    const Platform& platform_;
    MainExecutor& executor_;
    const ShellPorts& shell_;

    // Without a button to click, the status item never opens the popover.
    bool statusItemHasButton_ = false;
    std::shared_ptr<MenuBarController> controller_;
    // Watches clicks outside the popover while it is open.
    std::optional<EventMonitor::Token> eventMonitor_;
    std::optional<TimerId> pollTimer_;
    ControlCenterTrackedApps controlCenterPrefs_;
    // What the poll last saw of the preferences file; a different one schedules a refresh.
    std::optional<ControlCenterTrackedApps::Fingerprint> lastObservedPrefsFingerprint_;
    struct Activation {
        std::uint32_t itemID = 0;
        // The system uptime when it was accepted.
        Duration timestamp{};
    };
    // The last accepted click on a row; it only ever moves forward.
    std::optional<Activation> lastActivation_;
    const Duration duplicateActivationWindow_ = kDuplicateActivationWindow;
    InteractionEngine interaction_;
    std::vector<Workspace::ObserverToken> workspaceObservers_;
    std::unique_ptr<DirectoryWatch> prefsMonitorSource_;
    std::optional<TaskHandle> scheduledRefreshTask_;
    LaunchAtLoginManager launchAtLoginManager_;
    Updater& updaterController_;
    // Control Center's preferences folder, tilde expanded: the directory watch's target.
    const std::string controlCenterPrefsDirectoryPath_;
    const Duration backgroundRefreshDebounce_ = kBackgroundRefreshDebounce;

    // Set while the panel's host is due to be handed the controller's state on a later turn.
    bool panelInputsScheduled_ = false;
    bool launched_ = false;
    bool terminated_ = false;
};

}  // namespace stowbar
