#include "core/MenuBarController.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <tuple>
#include <unordered_map>
#include <utility>
#include <vector>

#include "core/ControlCenterTrackedApps.hpp"
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
// Control Center's file is a few kilobytes; a larger one is decoded afresh on each refresh
// rather than held between refreshes.
constexpr std::size_t kLargestKeptFile = std::size_t{1} << 20;

// Bundle identifiers, as views into strings that outlive the set, asked about once per
// running application on every refresh. Open addressing in one array, at most half full: a
// node per identifier, as the standard sets keep, cost more to build than all the lookups.
class IdentifierSet {
  public:
    explicit IdentifierSet(std::size_t atMost) {
        std::size_t capacity = 8;
        while (capacity < 2 * atMost) {
            capacity *= 2;
        }
        slots_.resize(capacity);
    }

    // At most as many identifiers as the constructor was told.
    void insert(std::string_view identifier) {
        for (std::size_t slot = first(identifier);; slot = next(slot)) {
            if (isFree(slots_[slot])) {
                slots_[slot] = identifier;
                return;
            }
            if (slots_[slot] == identifier) {
                return;
            }
        }
    }

    bool contains(std::string_view identifier) const {
        for (std::size_t slot = first(identifier);; slot = next(slot)) {
            if (isFree(slots_[slot])) {
                return false;
            }
            if (slots_[slot] == identifier) {
                return true;
            }
        }
    }

  private:
    // A view of a string, even of an empty one, always points somewhere.
    static bool isFree(std::string_view slot) { return slot.data() == nullptr; }
    std::size_t first(std::string_view identifier) const {
        return std::hash<std::string_view>{}(identifier) & (slots_.size() - 1);
    }
    std::size_t next(std::size_t slot) const { return (slot + 1) & (slots_.size() - 1); }

    std::vector<std::string_view> slots_;
};

// The running applications worth scanning, in their order (see scanTargets).
std::vector<const RunningApplication*> candidatesOf(
    const std::vector<RunningApplication>& applications, const IdentifierSet* hidden,
    std::int32_t excluding) {
    const std::string_view controlCenter = MenuBarController::kControlCenterBundleIdentifier;
    std::vector<const RunningApplication*> candidates;
    candidates.reserve(applications.size());
    for (const auto& application : applications) {
        if (application.pid == excluding ||
            application.activationPolicy == ActivationPolicy::prohibited ||
            !application.localizedName || application.localizedName->empty() ||
            (application.bundleIdentifier && *application.bundleIdentifier == controlCenter)) {
            continue;
        }
        if (hidden != nullptr &&
            (!application.bundleIdentifier || !hidden->contains(*application.bundleIdentifier))) {
            continue;
        }
        candidates.push_back(&application);
    }
    return candidates;
}

std::vector<AppScanTarget> targetsOf(std::span<const RunningApplication* const> candidates) {
    std::vector<AppScanTarget> targets;
    targets.reserve(candidates.size());
    for (const auto* application : candidates) {
        // Candidates are named, so the fallback is never taken.
        targets.push_back({application->pid, application->bundleIdentifier,
                           application->localizedName.value_or(std::string())});
    }
    return targets;
}

bool byProcess(const RunningApplication* a, const RunningApplication* b) {
    return std::tie(a->pid, a->bundleIdentifier) < std::tie(b->pid, b->bundleIdentifier);
}

// A top edge that is not a number compares false both ways, so it counts as shown.
bool outsideMenuBarBand(const Rect& frame) {
    const double top = frame.minY();
    return top < kMenuBarBandTop || top > kMenuBarBandBottom;
}

}  // namespace

// Not copyable, nor movable: `hidden` views the strings of `choices`.
struct MenuBarController::DecodedFile {
    DecodedFile(std::vector<std::uint8_t> contents, const ControlCenterTrackedApps& reader)
        : bytes(std::move(contents)), choices(reader.choicesFrom(bytes)) {
        if (choices) {
            std::vector<const std::string*> identifiers;
            choices->hiddenIdentifiers(identifiers);
            hidden.emplace(identifiers.size());
            for (const auto* identifier : identifiers) {
                hidden->insert(*identifier);
            }
        }
    }
    DecodedFile(const DecodedFile&) = delete;
    DecodedFile& operator=(const DecodedFile&) = delete;
    ~DecodedFile() = default;

    std::vector<std::uint8_t> bytes;
    // Absent when the bytes cannot be parsed.
    std::optional<ControlCenterTrackedApps::Choices> choices;
    // The identifiers the choices hide; absent with them.
    std::optional<IdentifierSet> hidden;
};

MenuBarController::MenuBarController(const Platform& platform, MainExecutor& executor)
    : platform_(platform),
      executor_(executor),
      axBridge_(platform.accessibility),
      iconProvider_(platform.screenCapture, platform.workspace),
      trackedApps_(platform.system, platform.files, platform.propertyLists) {}

MenuBarController::~MenuBarController() = default;

const MenuBarController::DecodedFile& MenuBarController::decodedFile(
    std::vector<std::uint8_t> bytes, std::unique_ptr<DecodedFile>& uncached) {
    if (lastFile_ && lastFile_->bytes == bytes) {
        return *lastFile_;
    }
    lastFile_.reset();
    auto file = std::make_unique<DecodedFile>(std::move(bytes), trackedApps_);
    if (file->bytes.size() > kLargestKeptFile) {
        uncached = std::move(file);
        return *uncached;
    }
    lastFile_ = std::move(file);
    return *lastFile_;
}

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

bool MenuBarController::publishesChange(const std::vector<StatusItemInfo>& scanned,
                                        const std::vector<StatusItemInfo>& published) {
    return !std::equal(scanned.begin(), scanned.end(), published.begin(), published.end(),
                       [](const StatusItemInfo& x, const StatusItemInfo& y) {
                           return x.pid == y.pid && x.appName == y.appName;
                       });
}

RefreshSignature RefreshSignature::of(
    const std::optional<ControlCenterTrackedApps::Fingerprint>& plistFingerprint,
    std::span<const RunningApplication* const> candidates) {
    RefreshSignature signature{plistFingerprint, {}};
    signature.candidateProcesses.reserve(candidates.size());
    for (const auto* application : candidates) {
        signature.candidateProcesses.emplace_back(application->pid, application->bundleIdentifier);
    }
    std::sort(signature.candidateProcesses.begin(), signature.candidateProcesses.end());
    return signature;
}

bool RefreshSignature::describes(
    const std::optional<ControlCenterTrackedApps::Fingerprint>& fingerprint,
    std::span<const RunningApplication* const> candidates) const {
    if (plistFingerprint != fingerprint || candidateProcesses.size() != candidates.size()) {
        return false;
    }
    // The workspace lists processes in the order they started, which is nearly always the
    // sorted one; a list in another order is sorted on a copy.
    std::vector<const RunningApplication*> sorted;
    if (!std::is_sorted(candidates.begin(), candidates.end(), byProcess)) {
        sorted.assign(candidates.begin(), candidates.end());
        std::sort(sorted.begin(), sorted.end(), byProcess);
        candidates = sorted;
    }
    return std::equal(candidateProcesses.begin(), candidateProcesses.end(), candidates.begin(),
                      [](const auto& process, const RunningApplication* application) {
                          return process.first == application->pid &&
                                 process.second == application->bundleIdentifier;
                      });
}

std::vector<AppScanTarget> MenuBarController::scanTargets(
    const std::vector<RunningApplication>& applications,
    const std::optional<std::set<std::string>>& hiddenBundleIdentifiers, std::int32_t excluding) {
    std::optional<IdentifierSet> hidden;
    if (hiddenBundleIdentifiers) {
        hidden.emplace(hiddenBundleIdentifiers->size());
        for (const auto& identifier : *hiddenBundleIdentifiers) {
            hidden->insert(identifier);
        }
    }
    return targetsOf(candidatesOf(applications, hidden ? &*hidden : nullptr, excluding));
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
    auto plan = planScan();
    if (!plan) {
        finish();
        co_return;
    }
    if (plan->targets.empty()) {
        cancelPendingRetry();
        lastRefreshSignature_ = std::move(plan->signature);
        assign(hiddenItems_, {}, Field::hiddenItems);
        finish();
        co_return;
    }

    // Everything that asks another application, which may not answer, runs on the background
    // job; the main thread only takes the finished list. Targets chosen by the hidden set are
    // hidden wherever their extras are.
    auto scanned = co_await runInBackground(
        [bridge = axBridge_, &renderer = platform_.imageRenderer,
         targetsAreHidden = plan->targetsAreHidden](
            const std::vector<AppScanTarget>& toScan,
            const std::vector<RunningApplication>& runningApplications) {
            return scan(bridge, renderer, toScan, targetsAreHidden, runningApplications);
        },
        std::move(plan->targets), std::move(plan->running));
    adoptScan(std::move(scanned), std::move(plan->signature));
    finish();
}

std::optional<MenuBarController::ScanPlan> MenuBarController::planScan() {
    // The probe's bytes are the ones parsed: one read per refresh. The fingerprint is taken
    // first, so that a change made during the read shows as a new fingerprint next time.
    const auto fingerprint = trackedApps_.fingerprint();
    auto contents = platform_.files.readFile(trackedApps_.groupPrefsPath());
    // A whole read is the only honest probe of Full Disk Access: attributes stay readable
    // without it.
    assign(fullDiskAccessGranted_, contents.succeeded(), Field::fullDiskAccessGranted);
    if (!fullDiskAccessGranted_) {
        return std::nullopt;
    }

    // Nearly every refresh reads the bytes the last one read: their decoding is kept, and
    // the hidden set is looked at where the parser left it, so a refresh that finds nothing
    // changed neither parses nor copies anything of the file or the running applications.
    std::unique_ptr<DecodedFile> uncached;
    const DecodedFile* file = nullptr;
    if (fingerprint && contents.bytes) {
        file = &decodedFile(std::move(*contents.bytes), uncached);
    }
    const IdentifierSet* hidden = file != nullptr && file->hidden ? &*file->hidden : nullptr;
    auto running = platform_.workspace.runningApplications();
    const auto candidates = candidatesOf(running, hidden, platform_.system.processIdentifier());
    const auto plistFingerprint = hidden != nullptr ? fingerprint : std::nullopt;

    if (lastRefreshSignature_ && lastRefreshSignature_->describes(plistFingerprint, candidates)) {
        return std::nullopt;
    }
    auto signature = RefreshSignature::of(plistFingerprint, candidates);
    auto targets = targetsOf(candidates);
    return ScanPlan{std::move(running), std::move(signature), std::move(targets),
                    hidden != nullptr};
}

void MenuBarController::adoptScan(ScanResult scanned, RefreshSignature signature) {
    const bool foundHidden = !scanned.items.empty();
    if (publishesChange(scanned.items, hiddenItems_)) {
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
}

MenuBarController::ScanResult MenuBarController::scan(
    const AccessibilityBridge& bridge, const ImageRenderer& renderer,
    const std::vector<AppScanTarget>& targets, bool targetsAreHidden,
    const std::vector<RunningApplication>& running) {
    auto found = bridge.findMenuBarItems(targets);

    ScanResult result;
    // A target counts as covered as soon as one of its extras was found, hidden or not. The
    // records come in the order of their targets.
    std::size_t coveredTargets = 0;
    for (std::size_t index = 0; index < found.size(); ++index) {
        if (index == 0 || found[index].target != found[index - 1].target) {
            ++coveredTargets;
        }
    }
    result.missedATarget = coveredTargets != targets.size();

    result.items.reserve(found.size());
    const IconProvider::RunningIcons icons(running);
    std::uint32_t position = 0;
    for (auto& item : found) {
        ++position;
        // The hidden set decides first; the position only when the set does not claim it.
        if (!targetsAreHidden && !outsideMenuBarBand(item.axFrame)) {
            continue;
        }
        const AppScanTarget& target = targets[item.target];
        const std::uint32_t windowID = bridge.windowID(item.element).value_or(0);
        // The extras of one application come one after another and share its icon, drawn
        // once for all of them.
        ImageRef icon = !result.items.empty() && result.items.back().pid == item.pid
                            ? result.items.back().icon
                            : initialIcon(target, icons, renderer);
        result.items.push_back(StatusItemInfo{
            windowID != 0 ? windowID : position, windowID, item.axFrame, target.appName,
            std::move(icon), std::move(item.element), target.bundleIdentifier, item.pid});
    }
    return result;
}

ImageRef MenuBarController::initialIcon(const AppScanTarget& target,
                                        const IconProvider::RunningIcons& running,
                                        const ImageRenderer& renderer) {
    const auto redrawn = [&renderer](const ImageRef& source) -> ImageRef {
        return source ? renderer.redraw(*source, kIconSize) : nullptr;
    };
    if (target.bundleIdentifier) {
        if (auto icon = redrawn(running.ofBundle(*target.bundleIdentifier))) {
            return icon;
        }
    }
    if (!target.appName.empty()) {
        if (auto icon = redrawn(running.ofName(target.appName))) {
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
    // By window number, the last picture of a number standing for it: one lookup per record.
    std::unordered_map<std::uint32_t, ImageRef> pictures;
    pictures.reserve(captured.size());
    for (auto& [windowID, image] : captured) {
        pictures.insert_or_assign(windowID, std::move(image));
    }
    auto current = self->hiddenItems_;
    bool changed = false;
    for (auto& record : current) {
        // Only records that carry a window number can match: a positional id that happens to
        // equal a window number belongs to another extra.
        if (record.windowID == 0) {
            continue;
        }
        if (const auto picture = pictures.find(record.windowID); picture != pictures.end()) {
            record.icon = picture->second;
            changed = true;
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
