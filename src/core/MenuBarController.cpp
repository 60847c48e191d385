#include "core/MenuBarController.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

#include "core/MenuBarItemRecords.hpp"
#include "platform/Geometry.hpp"
#include "platform/Image.hpp"
#include "platform/ImageRenderer.hpp"
#include "platform/Platform.hpp"
#include "platform/StatusItemInfo.hpp"
#include "platform/Workspace.hpp"
#include "runtime/MainExecutor.hpp"
#include "runtime/MainThread.hpp"
#include "runtime/RunInBackground.hpp"
#include "runtime/SleepFor.hpp"
#include "runtime/Spawn.hpp"
#include "runtime/Task.hpp"

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

// Whether a new list shows nothing the published one does not: the same names in the same
// order, of the same processes. A relaunched application has a new process whose elements
// the old records cannot press, so its list counts as changed even under the same names.
bool sameNamesOfSameProcesses(const std::vector<StatusItemInfo>& a,
                              const std::vector<StatusItemInfo>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](const StatusItemInfo& x, const StatusItemInfo& y) {
                          return x.pid == y.pid && x.appName == y.appName;
                      });
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
    // Every running application is looked up in the hidden set: hashing costs less than the
    // ordered set's string comparisons, which were most of a refresh that found nothing new.
    std::unordered_set<std::string_view> hidden;
    if (hiddenBundleIdentifiers) {
        hidden.reserve(hiddenBundleIdentifiers->size());
        hidden.insert(hiddenBundleIdentifiers->begin(), hiddenBundleIdentifiers->end());
    }
    const std::string_view controlCenter = kControlCenterBundleIdentifier;

    std::vector<AppScanTarget> targets;
    targets.reserve(hiddenBundleIdentifiers ? hiddenBundleIdentifiers->size()
                                            : applications.size());
    for (const auto& application : applications) {
        if (application.pid == excluding ||
            application.activationPolicy == ActivationPolicy::prohibited ||
            !application.localizedName || application.localizedName->empty() ||
            (application.bundleIdentifier && *application.bundleIdentifier == controlCenter)) {
            continue;
        }
        if (hiddenBundleIdentifiers &&
            (!application.bundleIdentifier || !hidden.contains(*application.bundleIdentifier))) {
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
    // The probe's bytes are the ones parsed: one read per refresh. The fingerprint is taken
    // first, so that a change made during the read shows as a new fingerprint next time.
    const auto fingerprint = trackedApps_.fingerprint();
    const auto contents = platform_.files.readFile(trackedApps_.groupPrefsURL());
    // A whole read is the only honest probe of Full Disk Access: attributes stay readable
    // without it.
    assign(fullDiskAccessGranted_, contents.succeeded(), Field::fullDiskAccessGranted);
    if (!fullDiskAccessGranted_) {
        finish();
        co_return;
    }

    std::optional<ControlCenterTrackedApps::Snapshot> snapshot;
    if (fingerprint && contents.bytes) {
        snapshot = trackedApps_.snapshotFrom(*fingerprint, *contents.bytes);
    }
    std::optional<std::set<std::string>> hidden;
    if (snapshot) {
        hidden = std::move(snapshot->hiddenBundleIdentifiers);
    }
    auto running = platform_.workspace.runningApplications();
    auto targets = scanTargets(running, hidden, platform_.system.processIdentifier());

    RefreshSignature signature;
    if (snapshot) {
        signature.plistFingerprint = snapshot->fingerprint;
    }
    signature.candidateProcesses.reserve(targets.size());
    for (const auto& target : targets) {
        signature.candidateProcesses.emplace_back(target.pid, target.bundleIdentifier);
    }
    std::sort(signature.candidateProcesses.begin(), signature.candidateProcesses.end());

    if (lastRefreshSignature_ == signature) {
        finish();
        co_return;
    }
    if (targets.empty()) {
        cancelPendingRetry();
        lastRefreshSignature_ = std::move(signature);
        assign(hiddenItems_, {}, Field::hiddenItems);
        finish();
        co_return;
    }

    // Everything that asks another application, which may not answer, runs on the background
    // job; the main thread only takes the finished list.
    auto scanned = co_await runInBackground(
        [bridge = axBridge_, &renderer = platform_.imageRenderer](
            const std::vector<AppScanTarget>& toScan,
            const std::optional<std::set<std::string>>& hiddenSet,
            const std::vector<RunningApplication>& runningApplications) {
            return scan(bridge, renderer, toScan, hiddenSet, runningApplications);
        },
        std::move(targets), std::move(hidden), std::move(running));

    const bool foundHidden = !scanned.items.empty();
    if (!sameNamesOfSameProcesses(scanned.items, hiddenItems_)) {
        assign(hiddenItems_, std::move(scanned.items), Field::hiddenItems);
    }

    if (!scanned.missedATarget) {
        cancelPendingRetry();
        lastRefreshSignature_ = std::move(signature);
    } else {
        // Typically an application still starting: look again soon, and rescan until then.
        lastRefreshSignature_.reset();
        scheduleDelayedRetry(signature);
    }

    if (foundHidden) {
        spawn(executor_, captureIconsAsync(weak_from_this()));
    }
    finish();
}

MenuBarController::ScanResult MenuBarController::scan(
    const AccessibilityBridge& bridge, const ImageRenderer& renderer,
    const std::vector<AppScanTarget>& targets,
    const std::optional<std::set<std::string>>& hiddenBundleIdentifiers,
    const std::vector<RunningApplication>& running) {
    auto found = bridge.findMenuBarItems(targets);

    ScanResult result;
    // A target counts as covered as soon as one of its extras was found, hidden or not.
    std::vector<std::int32_t> covered;
    covered.reserve(found.size());
    for (const auto& item : found) {
        covered.push_back(item.pid);
    }
    std::sort(covered.begin(), covered.end());
    result.missedATarget = std::any_of(targets.begin(), targets.end(), [&](const auto& target) {
        return !std::binary_search(covered.begin(), covered.end(), target.pid);
    });

    result.items.reserve(found.size());
    std::uint32_t position = 0;
    for (auto& item : found) {
        ++position;
        // The hidden set decides first; the position only when the set does not claim it.
        if (!inHiddenSet(item.bundleIdentifier, hiddenBundleIdentifiers) &&
            !outsideMenuBarBand(item.axFrame)) {
            continue;
        }
        const std::uint32_t windowID = bridge.windowID(item.element).value_or(0);
        // The extras of one application come one after another and share its icon, drawn
        // once for all of them.
        ImageRef icon = !result.items.empty() && result.items.back().pid == item.pid
                            ? result.items.back().icon
                            : initialIcon(item, running, renderer);
        result.items.push_back(StatusItemInfo{
            windowID != 0 ? windowID : position, windowID, item.axFrame, std::move(item.appName),
            std::move(icon), std::move(item.element), std::move(item.bundleIdentifier), item.pid});
    }
    return result;
}

ImageRef MenuBarController::initialIcon(const AppMenuBarItem& item,
                                        const std::vector<RunningApplication>& running,
                                        const ImageRenderer& renderer) {
    const auto redrawn = [&renderer](const ImageRef& source) -> ImageRef {
        return source ? renderer.redraw(*source, kIconSize) : nullptr;
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
        if (auto icon = redrawn(IconProvider::appIcon(item.appName, running))) {
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
    // Only what a capture needs is kept of the list as it was when the pass started.
    std::vector<std::pair<std::uint32_t, Rect>> windows;
    if (auto self = weakSelf.lock()) {
        windows.reserve(self->hiddenItems_.size());
        for (const auto& item : self->hiddenItems_) {
            if (item.windowID != 0) {
                windows.emplace_back(item.windowID, item.frame);
            }
        }
    }
    std::vector<std::pair<std::uint32_t, ImageRef>> captured;
    captured.reserve(windows.size());
    for (const auto& [windowID, frame] : windows) {
        auto self = weakSelf.lock();
        if (!self) {
            co_return;
        }
        auto image = co_await self->iconProvider_.capture(windowID, frame);
        if (image) {
            captured.emplace_back(windowID, std::move(image));
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
