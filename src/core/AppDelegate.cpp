#include "core/AppDelegate.hpp"

#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "core/ControlCenterTrackedApps.hpp"
#include "core/HiddenItemPanelModel.hpp"
#include "core/MenuBarController.hpp"
#include "platform/Application.hpp"
#include "platform/PanelHost.hpp"
#include "platform/Platform.hpp"
#include "platform/StatusItemInfo.hpp"
#include "platform/Workspace.hpp"
#include "runtime/Clock.hpp"
#include "runtime/MainExecutor.hpp"
#include "runtime/MainThread.hpp"
#include "runtime/RunInBackground.hpp"
#include "runtime/SleepFor.hpp"
#include "runtime/Spawn.hpp"
#include "runtime/StopToken.hpp"
#include "runtime/Task.hpp"

namespace stowbar {

AppDelegate::AppDelegate(const Platform& platform, MainExecutor& executor)
    : platform_(platform),
      executor_(executor),
      shell_(platform.shell),
      controlCenterPrefs_(platform.system, platform.files, platform.propertyLists),
      interaction_(platform.accessibility),
      launchAtLoginManager_(shell_.loginItems, shell_.alerts),
      updaterController_(shell_.updater),
      controlCenterPrefsDirectoryPath_(
          expandTildeInPath(std::string(ControlCenterTrackedApps::kPrefsDirectoryPath),
                            platform.system.homeDirectory())) {
    assertOnMainThread(executor_);
    // The updater starts with the delegate, before launch, and is never stopped by it.
    updaterController_.start();
}

void AppDelegate::applicationDidFinishLaunching() {
    assertOnMainThread(executor_);
    if (launched_) {
        return;
    }
    launched_ = true;
    controller_ = std::make_shared<MenuBarController>(platform_, executor_);
    setupStatusItem();
    setupPopover();
    // Observers and the watch come before the login item, so they are already active while its
    // approval notice holds the rest of the launch.
    setupBackgroundRefreshObservers();
    launchAtLoginManager_.registerIfNeeded();
    // The task starts on a later turn, so the baseline below is taken before it runs.
    spawn(executor_, initialRefresh(weak_from_this()));
    lastObservedPrefsFingerprint_ = controlCenterPrefs_.fingerprint();
    armPollTimer(deadlineAfter(executor_.clock().now(), kPollInterval));
}

void AppDelegate::applicationWillTerminate() {
    assertOnMainThread(executor_);
    // A termination before launch finished, or a second one, finds nothing to stop.
    if (!launched_ || terminated_) {
        return;
    }
    terminated_ = true;
    if (scheduledRefreshTask_) {
        // The handle stays: cancelling a finished or cancelled task does nothing.
        scheduledRefreshTask_->cancel();
    }
    if (pollTimer_) {
        executor_.cancel(*pollTimer_);
        pollTimer_.reset();
    }
    for (const auto token : workspaceObservers_) {
        platform_.workspace.removeObserver(token);
    }
    workspaceObservers_.clear();
    if (prefsMonitorSource_) {
        prefsMonitorSource_->cancel();
        prefsMonitorSource_.reset();
    }
}

void AppDelegate::setupStatusItem() {
    statusItemHasButton_ =
        shell_.statusBar.addStatusItem(kStatusItemSymbol, kStatusItemDescription,
                                       weakly([](AppDelegate& self) { self.togglePopover(); }));
}

void AppDelegate::setupPopover() {
    shell_.popover.configure(kInitialPopoverSize,
                             weakly([](AppDelegate& self) { self.popoverDidShow(); }));
    if (shell_.panelHost == nullptr) {
        return;
    }
    shell_.panelHost->setPanelActions(makePanelActions());
    // Nothing is about to change yet, so the host starts from the fields as they are now; later
    // changes are announced before they are made and read on a later turn.
    pushPanelInputs();
    controller_->observe(
        weakly([](AppDelegate& self, MenuBarController::Field) { self.schedulePanelInputs(); }));
}

PanelActions AppDelegate::makePanelActions() {
    Application& application = platform_.application;
    Workspace& workspace = platform_.workspace;
    PanelActions actions;
    actions.offersUpdates = updaterController_.isAvailable();
    actions.onCheckForUpdates = weakly([](AppDelegate& self) { self.checkForUpdates(); });
    actions.onActivate =
        weakly([](AppDelegate& self, const StatusItemInfo& item) { self.activate(item); });
    // A filter typed into the panel changes its height between two sets of inputs; an open
    // popover follows at once, as it follows a new list.
    actions.onPreferredSizeChange = weakly([](AppDelegate& self) {
        if (self.shell_.popover.isShown()) {
            self.applyPreferredContentSize();
        }
    });
    // The panel ends the application itself, and opens settings itself: neither goes through
    // the delegate, so both work as long as the platform does.
    actions.terminate = [&application] {
        application.terminate();
    };
    if (workspace.canOpenURL(std::string(panel_url::kAccessibilitySettings)) &&
        workspace.canOpenURL(std::string(panel_url::kFullDiskAccessSettings))) {
        actions.openURL = [&workspace](const std::string& url) {
            workspace.openURL(url);
        };
    }
    return actions;
}

void AppDelegate::schedulePanelInputs() {
    // A burst of announcements (a refresh assigns several fields in a row) reaches the host as
    // one update, read once every field of the burst has its new value.
    if (panelInputsScheduled_) {
        return;
    }
    panelInputsScheduled_ = true;
    executor_.post(weakly([](AppDelegate& self) {
        self.panelInputsScheduled_ = false;
        self.pushPanelInputs();
    }));
}

void AppDelegate::pushPanelInputs() {
    const auto& controller = *controller_;
    shell_.panelHost->setPanelInputs(
        PanelInputs{controller.hiddenItems(), controller.accessibilityGranted(),
                    controller.fullDiskAccessGranted(), controller.isLoading()});
    // An open popover follows the panel whenever what it shows changes (a prompt giving way to
    // the list, a list growing or shrinking), not only after the refresh its showing started:
    // that refresh may end before the panel has drawn its result, or the change may come from
    // a refresh of its own.
    if (shell_.popover.isShown()) {
        applyPreferredContentSize();
    }
}

void AppDelegate::activate(const StatusItemInfo& item) {
    assertOnMainThread(executor_);
    const Duration now = platform_.system.systemUptime();
    // A repeat of the last accepted click (a double click while the popover is closing) is
    // dropped entirely; the window is measured from the accepted click, not from a dropped one.
    if (lastActivation_ && lastActivation_->itemID == item.id &&
        now - lastActivation_->timestamp < duplicateActivationWindow_) {
        return;
    }
    lastActivation_ = Activation{item.id, now};
    if (eventMonitor_) {
        shell_.eventMonitor.removeMonitor(*eventMonitor_);
        eventMonitor_.reset();
    }
    shell_.popover.close();
    spawn(executor_, pressAfterDelay(weak_from_this(), item));
}

Task<void> AppDelegate::pressAfterDelay(std::weak_ptr<AppDelegate> weakSelf, StatusItemInfo item) {
    if (weakSelf.expired()) {
        co_return;
    }
    // The press waits for the popover to be out of the way. A sleep cut short by cancellation
    // still ends in the press: nothing cancels it on purpose.
    co_await sleepFor(kPressDelay);
    std::optional<InteractionEngine> engine;
    if (auto self = weakSelf.lock()) {
        engine = self->interaction_;
    }
    if (!engine) {
        co_return;
    }
    // The press asks the item's application, which may take until its messaging timeout to
    // answer; the main thread goes on meanwhile. The engine is copied in, so the job needs
    // nothing of the delegate. The answer comes back here and is deliberately dropped: there
    // is no fallback for a press that failed, and nothing the user could do about it that
    // reopening the panel would not do.
    static_cast<void>(co_await runInBackground(
        [](const InteractionEngine& pressing, const StatusItemInfo& pressed) {
            return pressing.activate(pressed);
        },
        *engine, std::move(item)));
}

void AppDelegate::togglePopover() {
    assertOnMainThread(executor_);
    if (shell_.popover.isShown()) {
        closePopover();
    } else {
        openPopover();
    }
}

void AppDelegate::applyPreferredContentSize() {
    // A panel that reports a degenerate size keeps the popover at its previous size.
    const auto preferred = shell_.popover.preferredContentSize();
    if (preferred && preferred->width > 10 && preferred->height > 10) {
        shell_.popover.setContentSize(*preferred);
    }
}

void AppDelegate::openPopover() {
    if (!statusItemHasButton_) {
        return;
    }
    applyPreferredContentSize();
    shell_.popover.show();
    // The monitor's handler closes on a later turn, as a task of its own. A token left from an
    // earlier opening is removed first so that no monitor outlives its token.
    if (eventMonitor_) {
        shell_.eventMonitor.removeMonitor(*eventMonitor_);
    }
    eventMonitor_ = shell_.eventMonitor.addGlobalLeftMouseDownMonitor(weakly([](AppDelegate& self) {
        self.executor_.post(self.weakly([](AppDelegate& again) { again.closePopover(); }));
    }));
}

void AppDelegate::closePopover() {
    shell_.popover.close();
    if (eventMonitor_) {
        shell_.eventMonitor.removeMonitor(*eventMonitor_);
        eventMonitor_.reset();
    }
}

void AppDelegate::popoverDidShow() {
    assertOnMainThread(executor_);
    spawn(executor_, refreshAfterShow(weak_from_this()));
}

void AppDelegate::checkForUpdates() {
    assertOnMainThread(executor_);
    updaterController_.checkForUpdates();
}

Task<void> AppDelegate::refreshAfterShow(std::weak_ptr<AppDelegate> weakSelf) {
    const auto controller = controllerOf(weakSelf);
    if (!controller) {
        co_return;
    }
    co_await controller->refresh();
    if (auto self = weakSelf.lock(); self && self->shell_.popover.isShown()) {
        self->applyPreferredContentSize();
    }
}

void AppDelegate::setupBackgroundRefreshObservers() {
    // Each handler only starts work on a later turn, as every other trigger does. It reaches
    // the executor directly, never through the delegate, which may be gone when it is called.
    auto handler = [refresh = weakly([](AppDelegate& self) { self.scheduleBackgroundRefresh(); }),
                    &executor = executor_] {
        executor.post(refresh);
    };
    workspaceObservers_.push_back(
        platform_.workspace.addObserver(WorkspaceNotification::didLaunchApplication, handler));
    workspaceObservers_.push_back(
        platform_.workspace.addObserver(WorkspaceNotification::didTerminateApplication, handler));
    setupControlCenterPrefsMonitor();
}

void AppDelegate::setupControlCenterPrefsMonitor() {
    // A folder that cannot be watched leaves only the poll's fingerprint to notice changes; the
    // watch is not retried. Which events happened does not matter: any of them may mean a new
    // file, also the folder's own deletion or renaming. The handler, like those of the
    // workspace, reaches the executor directly.
    prefsMonitorSource_ = shell_.directoryWatcher.watch(
        controlCenterPrefsDirectoryPath_,
        [refresh = weakly([](AppDelegate& self) { self.scheduleBackgroundRefresh(); }),
         &executor = executor_] { executor.post(refresh); });
}

void AppDelegate::scheduleBackgroundRefresh() {
    assertOnMainThread(executor_);
    if (scheduledRefreshTask_) {
        scheduledRefreshTask_->cancel();
    }
    scheduledRefreshTask_ =
        spawn(executor_, debouncedRefresh(weak_from_this(), backgroundRefreshDebounce_));
}

std::shared_ptr<MenuBarController> AppDelegate::controllerOf(
    const std::weak_ptr<AppDelegate>& weakSelf) {
    const auto self = weakSelf.lock();
    return self ? self->controller_ : nullptr;
}

Task<void> AppDelegate::initialRefresh(std::weak_ptr<AppDelegate> weakSelf) {
    const auto controller = controllerOf(weakSelf);
    if (controller) {
        co_await controller->refresh();
    }
}

Task<void> AppDelegate::debouncedRefresh(std::weak_ptr<AppDelegate> weakSelf, Duration delay) {
    if (weakSelf.expired()) {
        co_return;
    }
    // An early end of the sleep is not a reason of its own; the stop token decides below.
    co_await sleepFor(delay);
    const StopToken stop = co_await currentStopToken();
    if (stop.stop_requested()) {
        co_return;
    }
    const auto controller = controllerOf(weakSelf);
    if (controller) {
        // The refresh ignores a later cancellation of this task: a newer trigger only adds
        // one more refresh after this one.
        co_await controller->refresh();
    }
}

void AppDelegate::armPollTimer(TimePoint deadline) {
    // Each firing arms the next one from its own deadline, so ticks do not drift with the
    // time a tick takes.
    auto fire = weakly([deadline](AppDelegate& self) {
        if (!self.pollTimer_) {
            return;
        }
        self.armPollTimer(deadlineAfter(deadline, kPollInterval));
        // Ticks are not serialised: one awaiting a refresh may still run when the next starts.
        spawn(self.executor_, pollTick(self.weak_from_this()));
    });
    pollTimer_ = executor_.postAt(deadline, std::move(fire));
}

Task<void> AppDelegate::pollTick(std::weak_ptr<AppDelegate> weakSelf) {
    auto self = weakSelf.lock();
    if (!self) {
        co_return;
    }
    const auto controller = self->controller_;
    // A status item still waiting for a tray looks for one on this tick: one wake-up serves
    // both.
    self->shell_.statusBar.lookAgain();

    // Losing a permission only updates its flag, and the panel shows the prompt; a newly
    // granted one refreshes at once rather than after the debounce.
    const bool wasTrusted = controller->accessibilityGranted();
    const bool isTrusted = self->platform_.accessibility.isProcessTrusted();
    if (isTrusted != wasTrusted) {
        controller->setAccessibilityGranted(isTrusted);
    }
    if (isTrusted && !wasTrusted) {
        self.reset();
        co_await controller->refresh();
        self = weakSelf.lock();
        if (!self) {
            co_return;
        }
    }

    // Full Disk Access shows only in whether the whole file can be read.
    const bool hadDiskAccess = controller->fullDiskAccessGranted();
    const bool hasDiskAccess =
        self->platform_.files.readFile(self->controlCenterPrefs_.groupPrefsPath()).succeeded();
    if (hasDiskAccess != hadDiskAccess) {
        controller->setFullDiskAccessGranted(hasDiskAccess);
    }
    if (hasDiskAccess && !hadDiskAccess) {
        self.reset();
        co_await controller->refresh();
        self = weakSelf.lock();
        if (!self) {
            co_return;
        }
    }

    // Runs on every tick, also after a permission refresh in this one.
    auto fingerprint = self->controlCenterPrefs_.fingerprint();
    if (fingerprint != self->lastObservedPrefsFingerprint_) {
        self->lastObservedPrefsFingerprint_ = fingerprint;
        self->scheduleBackgroundRefresh();
    }
}

}  // namespace stowbar
