#include "core/MenuBarController.hpp"

#include <algorithm>
#include <cmath>
#include <utility>

#include "runtime/MainThread.hpp"
#include "runtime/RunInBackground.hpp"
#include "runtime/SleepFor.hpp"

namespace stowbar {

namespace {

constexpr Size kIconSize{18, 18};
constexpr const char* kFallbackSymbol = "app.badge";
// Extras drawn in this band at the top of the screen are in the menu bar, so shown.
constexpr double kMenuBarBandTop = 0;
constexpr double kMenuBarBandBottom = 100;

bool inHiddenSet(const std::optional<std::string>& bundleIdentifier,
                 const std::optional<std::set<std::string>>& hidden) {
    return hidden && !hidden->empty() && bundleIdentifier && hidden->count(*bundleIdentifier) != 0;
}

// A top edge that is not a number compares false both ways, so it counts as shown.
bool outsideMenuBarBand(const Rect& frame) {
    const double top = frame.minY();
    return top < kMenuBarBandTop || top > kMenuBarBandBottom;
}

std::vector<std::string> namesOf(const std::vector<StatusItemInfo>& items) {
    std::vector<std::string> names;
    names.reserve(items.size());
    for (const auto& item : items) {
        names.push_back(item.appName);
    }
    return names;
}

}  // namespace

MenuBarController::MenuBarController(const Platform& platform, MainExecutor& executor)
    : platform_(platform),
      executor_(executor),
      axBridge_(platform.accessibility),
      iconProvider_(platform.screenCapture, platform.workspace),
      trackedApps_(platform.system, platform.files, platform.propertyLists) {}

template <typename T>
void MenuBarController::assign(T& field, T value, Field which) {
    assertOnMainThread(executor_);
    // Observers may remove themselves while being told; walk a copy.
    const auto observers = observers_;
    for (const auto& [id, observer] : observers) {
        observer(which);
    }
    field = std::move(value);
}

void MenuBarController::setAccessibilityGranted(bool granted) {
    assign(accessibilityGranted_, granted, Field::accessibilityGranted);
}

void MenuBarController::setFullDiskAccessGranted(bool granted) {
    assign(fullDiskAccessGranted_, granted, Field::fullDiskAccessGranted);
}

MenuBarController::ObserverId MenuBarController::observe(Observer observer) {
    const ObserverId id = nextObserverId_++;
    observers_.emplace_back(id, std::move(observer));
    return id;
}

void MenuBarController::removeObserver(ObserverId id) {
    std::erase_if(observers_, [id](const auto& entry) { return entry.first == id; });
}

std::vector<AppScanTarget> MenuBarController::scanTargets(
    const std::vector<RunningApplication>& applications,
    const std::optional<std::set<std::string>>& hiddenBundleIdentifiers, std::int32_t excluding) {
    std::vector<AppScanTarget> targets;
    targets.reserve(hiddenBundleIdentifiers ? hiddenBundleIdentifiers->size()
                                            : applications.size());
    for (const auto& application : applications) {
        if (application.pid == excluding ||
            application.activationPolicy == ActivationPolicy::prohibited ||
            !application.localizedName || application.localizedName->empty() ||
            application.bundleIdentifier == kControlCenterBundleIdentifier) {
            continue;
        }
        if (hiddenBundleIdentifiers &&
            !inHiddenSet(application.bundleIdentifier, hiddenBundleIdentifiers)) {
            continue;
        }
        targets.push_back(
            {application.pid, application.bundleIdentifier, *application.localizedName});
    }
    return targets;
}

Task<void> MenuBarController::refresh() {
    // A refresh runs to its end even if its owner lets go of the controller meanwhile.
    const std::shared_ptr<MenuBarController> self = shared_from_this();
    assertOnMainThread(executor_);

    const bool startedEmpty = hiddenItems_.empty();
    if (startedEmpty) {
        assign(isLoading_, true, Field::isLoading);
    }
    const auto finish = [&] {
        if (startedEmpty) {
            assign(isLoading_, false, Field::isLoading);
        }
    };

    assign(accessibilityGranted_, platform_.accessibility.isProcessTrusted(),
           Field::accessibilityGranted);
    if (!accessibilityGranted_) {
        finish();
        co_return;
    }
    // A whole read is the only honest probe of Full Disk Access: attributes stay readable
    // without it.
    assign(fullDiskAccessGranted_,
           platform_.files.readFile(trackedApps_.groupPrefsURL()).succeeded(),
           Field::fullDiskAccessGranted);
    if (!fullDiskAccessGranted_) {
        finish();
        co_return;
    }

    auto snapshot = trackedApps_.loadSnapshot();
    std::optional<std::set<std::string>> hidden;
    if (snapshot) {
        hidden = std::move(snapshot->hiddenBundleIdentifiers);
    }
    const auto targets = scanTargets(platform_.workspace.runningApplications(), hidden,
                                     platform_.system.processIdentifier());

    RefreshSignature signature;
    signature.candidateProcesses.reserve(targets.size());
    if (snapshot) {
        signature.plistFingerprint = snapshot->fingerprint;
    }
    for (const auto& target : targets) {
        signature.candidateProcesses.push_back(target.bundleIdentifier.value_or("-") + ":" +
                                               std::to_string(target.pid));
    }
    std::sort(signature.candidateProcesses.begin(), signature.candidateProcesses.end());

    if (lastRefreshSignature_ == signature) {
        finish();
        co_return;
    }
    if (targets.empty()) {
        cancelPendingRetry();
        lastRefreshSignature_ = signature;
        assign(hiddenItems_, {}, Field::hiddenItems);
        finish();
        co_return;
    }

    // The scan is the one step that may block for long; it reads only what it is given.
    const auto found = co_await runInBackground(
        [bridge = axBridge_](const std::vector<AppScanTarget>& scanned) {
            return bridge.findMenuBarItems(scanned);
        },
        targets);

    std::set<std::int32_t> missing;
    for (const auto& target : targets) {
        missing.insert(target.pid);
    }
    for (const auto& item : found) {
        missing.erase(item.pid);
    }

    auto items = hiddenItemsFrom(found, hidden);
    if (namesOf(items) != namesOf(hiddenItems_)) {
        assign(hiddenItems_, items, Field::hiddenItems);
    }

    if (missing.empty()) {
        cancelPendingRetry();
        lastRefreshSignature_ = signature;
    } else {
        // Typically an application still starting: look again soon, and rescan until then.
        lastRefreshSignature_.reset();
        scheduleDelayedRetry(signature);
    }

    if (!items.empty()) {
        spawn(executor_, captureIconsAsync(weak_from_this()));
    }
    finish();
}

std::vector<StatusItemInfo> MenuBarController::hiddenItemsFrom(
    const std::vector<AppMenuBarItem>& found,
    const std::optional<std::set<std::string>>& hiddenBundleIdentifiers) const {
    const auto running = platform_.workspace.runningApplications();
    std::vector<StatusItemInfo> items;
    std::uint32_t position = 0;
    for (const auto& item : found) {
        ++position;
        // The hidden set decides first; the position only when the set does not claim it.
        if (!inHiddenSet(item.bundleIdentifier, hiddenBundleIdentifiers) &&
            !outsideMenuBarBand(item.axFrame)) {
            continue;
        }
        const std::uint32_t windowID = axBridge_.windowID(item.element).value_or(0);
        items.push_back(StatusItemInfo{windowID != 0 ? windowID : position, windowID, item.axFrame,
                                       item.appName, initialIcon(item, running), item.element,
                                       item.bundleIdentifier});
    }
    return items;
}

ImageRef MenuBarController::initialIcon(const AppMenuBarItem& item,
                                        const std::vector<RunningApplication>& running) const {
    const auto redrawn = [this](const ImageRef& source) -> ImageRef {
        return source ? platform_.imageRenderer.redraw(*source, kIconSize) : nullptr;
    };
    if (item.bundleIdentifier) {
        const auto application =
            std::find_if(running.begin(), running.end(), [&](const RunningApplication& app) {
                return app.bundleIdentifier == item.bundleIdentifier;
            });
        if (application != running.end()) {
            if (auto icon = redrawn(application->icon)) {
                return icon;
            }
        }
    }
    if (!item.appName.empty()) {
        if (auto icon = redrawn(iconProvider_.appIcon(item.appName))) {
            return icon;
        }
    }
    // A named symbol always exists here, so the last resort, an empty image, is never needed.
    return Image::symbol(kFallbackSymbol);
}

// Captures one picture at a time, in list order. A refresh may publish a newer list while
// a capture is suspended; the pictures are then put into the list current at the end, by
// window number, so the newer list is never replaced by the older copy.
Task<void> MenuBarController::captureIconsAsync(std::weak_ptr<MenuBarController> weakSelf) {
    std::vector<StatusItemInfo> copy;
    if (auto self = weakSelf.lock()) {
        copy = self->hiddenItems_;
    }
    std::vector<std::pair<std::uint32_t, ImageRef>> captured;
    for (const auto& item : copy) {
        if (item.windowID == 0) {
            continue;
        }
        auto self = weakSelf.lock();
        if (!self) {
            co_return;
        }
        auto image = co_await self->iconProvider_.capture(item.windowID, item.frame);
        if (image) {
            captured.emplace_back(item.windowID, std::move(image));
        }
    }
    const auto self = weakSelf.lock();
    if (!self || captured.empty()) {
        co_return;
    }
    auto current = self->hiddenItems_;
    bool changed = false;
    for (auto& record : current) {
        for (const auto& [windowID, image] : captured) {
            // Only records that carry a window number can match: a positional id that
            // happens to equal a window number belongs to another extra.
            if (record.windowID != 0 && record.windowID == windowID) {
                record.icon = image;
                changed = true;
            }
        }
    }
    if (changed) {
        self->assign(self->hiddenItems_, std::move(current), Field::hiddenItems);
    }
}

void MenuBarController::scheduleDelayedRetry(const RefreshSignature& signature) {
    if (pendingRetrySignature_ == signature) {
        return;  // the same situation is already waiting; its clock is not restarted
    }
    if (retryRefreshTask_) {
        retryRefreshTask_->cancel();
    }
    pendingRetrySignature_ = signature;
    retryRefreshTask_ = spawn(executor_, retryRefresh(weak_from_this(), delayedRetry_));
}

void MenuBarController::cancelPendingRetry() {
    if (retryRefreshTask_) {
        retryRefreshTask_->cancel();
    }
    retryRefreshTask_.reset();
    pendingRetrySignature_.reset();
}

Task<void> MenuBarController::retryRefresh(std::weak_ptr<MenuBarController> weakSelf,
                                           Duration delay) {
    // Held from the start: once the retry runs, the controller stays until it ends.
    const auto self = weakSelf.lock();
    if (!self) {
        co_return;
    }
    if (!co_await sleepFor(delay)) {
        co_return;
    }
    if ((co_await currentStopToken()).stop_requested()) {
        co_return;
    }
    self->pendingRetrySignature_.reset();
    co_await self->refresh();
}

}  // namespace stowbar
