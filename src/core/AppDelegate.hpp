#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
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

namespace stowbar {

// The single long-lived object of the menu bar application: it owns everything the running
// application consists of, from launch to termination, and keeps the hidden-items list current
// in the background (application launches and terminations, Control Center's preferences
// directory, and a two-second poll of the permissions and the preferences file, which also
// lets a status item still waiting for a tray look for one).
//
// Threading: constructed, called and destroyed on the main thread only; every entry point
// checks it. Every callback and task it hands out holds it weakly and does nothing once it is
// gone, so it must be owned by a std::shared_ptr.
class AppDelegate final : public ApplicationDelegate,
                          public std::enable_shared_from_this<AppDelegate> {
  public:
    static constexpr const char* kControlCenterPrefsDirectoryPath =
        "~/Library/Group Containers/group.com.apple.controlcenter/Library/Preferences";
    // Every interval is a whole number of nanoseconds, and so is every instant compared with
    // one, so that a boundary falls at the same place whatever the clock or uptime reads.
    static constexpr Duration kBackgroundRefreshDebounce = std::chrono::milliseconds(300);
    static constexpr Duration kPollInterval = std::chrono::seconds(2);
    static constexpr Duration kDuplicateActivationWindow = std::chrono::milliseconds(350);
    static constexpr const char* kStatusItemSymbol = "chevron.down.2";
    static constexpr const char* kStatusItemDescription = "Stowbar";
    static constexpr Size kInitialPopoverSize{300, 200};
    static constexpr Duration kPressDelay = std::chrono::milliseconds(150);

    // Fills in the defaults and starts the updater. The platform and the executor are borrowed
    // and must outlive the delegate.
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
    // A click on a row of the panel: unless it repeats the last accepted click on the same item
    // within the duplicate window, the popover closes at once and the item's element is
    // pressed 0.15 s later, once the popover is out of the way. The press is a request to the
    // item's application, made on a background job: one that does not answer holds no turn of
    // the main thread.
    void activate(const StatusItemInfo& item);

    // The debounce every event-driven refresh goes through: one refresh, 0.3 s after the last
    // of a burst of calls.
    void scheduleBackgroundRefresh();

    // Present once launch finished.
    const std::shared_ptr<MenuBarController>& controller() const { return controller_; }
    // What is armed, for tests and the simulator.
    bool hasPollTimer() const { return pollTimer_.has_value(); }
    bool hasDirectoryWatch() const { return prefsMonitorSource_ != nullptr; }
    std::size_t workspaceObserverCount() const { return workspaceObservers_.size(); }
    const std::string& controlCenterPrefsDirectoryURL() const {
        return controlCenterPrefsDirectoryURL_;
    }

  private:
    void setupStatusItem();
    void setupPopover();
    void setupBackgroundRefreshObservers();
    void setupControlCenterPrefsMonitor();
    void openPopover();
    void closePopover();
    void applyPreferredContentSize();
    void armPollTimer(TimePoint deadline);

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

    // In the order the running application is described, with their defaults.
    bool statusItemHasButton_ = false;
    bool popoverConfigured_ = false;
    std::shared_ptr<MenuBarController> controller_;
    std::optional<EventMonitor::Token> eventMonitor_;
    std::optional<TimerId> pollTimer_;
    ControlCenterTrackedApps controlCenterPrefs_;
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
    const std::string controlCenterPrefsDirectoryURL_;
    const Duration backgroundRefreshDebounce_ = kBackgroundRefreshDebounce;

    // Set while the panel's host is due to be handed the controller's state on a later turn.
    bool panelInputsScheduled_ = false;
    bool launched_ = false;
    bool terminated_ = false;
};

}  // namespace stowbar
