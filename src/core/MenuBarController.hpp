#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "core/AccessibilityBridge.hpp"
#include "core/ControlCenterTrackedApps.hpp"
#include "core/IconProvider.hpp"
#include "core/MenuBarItemRecords.hpp"
#include "platform/Platform.hpp"
#include "runtime/Spawn.hpp"
#include "runtime/Task.hpp"

namespace stowbar {

// What a refresh saw: the file's fingerprint and the processes worth scanning. A refresh
// whose signature equals that of the last complete scan has nothing new to find.
struct RefreshSignature {
    std::optional<ControlCenterTrackedApps::Fingerprint> plistFingerprint;
    // One (process identifier, bundle identifier) pair per scan target, sorted, so that the
    // same processes listed in another order give the same signature.
    std::vector<std::pair<std::int32_t, std::optional<std::string>>> candidateProcesses;

    // The signature of these candidates, which need not be in order.
    static RefreshSignature of(
        const std::optional<ControlCenterTrackedApps::Fingerprint>& plistFingerprint,
        std::span<const RunningApplication* const> candidates);

    // Whether it equals the signature of these candidates, without building that one: the
    // question every refresh asks, and the answer is almost always yes.
    bool describes(const std::optional<ControlCenterTrackedApps::Fingerprint>& fingerprint,
                   std::span<const RunningApplication* const> candidates) const;

    friend bool operator==(const RefreshSignature&, const RefreshSignature&) = default;
};

// The observable model behind the panel: it turns the Control Center file, the running
// applications and their menu bar extras into the published list of hidden extras, plus the
// flags that tell the panel which state to show.
//
// Threading: confined to the main thread. refresh() suspends once, while its background job
// scans the targets, resolves the window numbers of the hidden extras and draws their initial
// icons: everything that asks another process, which may hang, or draws. The main thread only
// takes the finished list. Overlapping refreshes are neither prevented nor merged; callers
// debounce.
//
// Observation: observers are told which published field is about to be assigned, just
// before every assignment (also when the value does not change). They read the new value on
// a later turn of the loop.
//
// Lifetime: always owned by a std::shared_ptr. Tasks it starts hold it weakly until they
// run; a refresh in progress keeps it alive until it returns.
class MenuBarController : public std::enable_shared_from_this<MenuBarController> {
  public:
    enum class Field : std::uint8_t {
        hiddenItems,
        accessibilityGranted,
        fullDiskAccessGranted,
        isLoading
    };
    using Observer = std::function<void(Field)>;
    using ObserverId = std::uint64_t;

    static constexpr Duration kDelayedRetry = std::chrono::seconds(12);
    static constexpr const char* kControlCenterBundleIdentifier = "com.apple.controlcenter";

    // The platform and the main thread's executor are borrowed and must outlive the
    // controller. Starts no work.
    MenuBarController(const Platform& platform, MainExecutor& executor);
    ~MenuBarController();
    MenuBarController(const MenuBarController&) = delete;
    MenuBarController& operator=(const MenuBarController&) = delete;

    const std::vector<StatusItemInfo>& hiddenItems() const { return hiddenItems_; }
    bool accessibilityGranted() const { return accessibilityGranted_; }
    bool fullDiskAccessGranted() const { return fullDiskAccessGranted_; }
    bool isLoading() const { return isLoading_; }

    // The background poll records permission changes it notices here.
    void setAccessibilityGranted(bool granted);
    void setFullDiskAccessGranted(bool granted);

    ObserverId observe(Observer observer);
    void removeObserver(ObserverId id);

    // Checks the permissions, scans the applications of the hidden set for menu bar extras
    // unless nothing changed since the last complete scan, publishes the hidden ones, and
    // starts capturing their pictures. Never fails; ignores cancellation of its caller.
    Task<void> refresh();

    // Whether a newly scanned list of hidden extras is published in place of the published one:
    // only when the names differ, in order and count, or belong to other processes. A panel
    // shows a hidden extra by its name, so a list that differs only in window numbers, frames,
    // elements or icons would redraw the same rows; the icons follow by the capture pass. A
    // relaunched application has a new process, whose extras the old records cannot press, so
    // its list counts as changed even under the same names.
    static bool publishesChange(const std::vector<StatusItemInfo>& scanned,
                                const std::vector<StatusItemInfo>& published);

    // Whether a delayed retry is waiting; for tests and the simulator's transcript.
    bool hasPendingRetry() const { return pendingRetrySignature_.has_value(); }

    // The running applications worth scanning, in their order: not `excluding`, allowed a
    // user interface, named, not Control Center, and, when a hidden set is given, in it.
    static std::vector<AppScanTarget> scanTargets(
        const std::vector<RunningApplication>& applications,
        const std::optional<std::set<std::string>>& hiddenBundleIdentifiers,
        std::int32_t excluding);

  private:
    template <typename T>
    void assign(T& field, T value, Field which);

    // What the background job of a refresh hands back: the hidden extras as finished records,
    // and whether some target exposed no extras.
    struct ScanResult {
        std::vector<StatusItemInfo> items;
        bool missedATarget = false;
    };

    // The background job of a refresh. It reads only what it is given and the ports that may be
    // called from any thread (Accessibility, the image renderer). `targetsAreHidden`: the
    // targets were chosen by the hidden set, so their extras are hidden wherever they are.
    static ScanResult scan(const AccessibilityBridge& bridge, const ImageRenderer& renderer,
                           const std::vector<AppScanTarget>& targets, bool targetsAreHidden,
                           const std::vector<RunningApplication>& running);
    // What a refresh scans once it decided to, with the signature it records: copies of what
    // the scan needs, since what the file and the workspace say is kept only as long as it
    // takes to decide.
    struct ScanPlan {
        std::vector<RunningApplication> running;
        RefreshSignature signature;
        std::vector<AppScanTarget> targets;
        // The targets were chosen by the hidden set (see scan).
        bool targetsAreHidden = false;
    };

    // Reads the file, publishing Full Disk Access as the read shows it, and the workspace, and
    // decides what to scan. Absent without Full Disk Access, or when nothing changed since the
    // last complete scan.
    std::optional<ScanPlan> planScan();
    // What a finished scan leads to: its list published if it changes anything, then either
    // the signature kept as that of a complete scan or a retry arranged for a target that
    // showed no extras, and the capture pass started for a list that is not empty.
    void adoptScan(ScanResult scanned, RefreshSignature signature);
    static ImageRef initialIcon(const AppScanTarget& target,
                                const IconProvider::RunningIcons& running,
                                const ImageRenderer& renderer);

    // The file's contents as a refresh last read them, decoded (see decodedFile).
    struct DecodedFile;

    // `bytes` decoded, or the last decoding when they are the same bytes again, as nearly every
    // refresh reads. A file too large to keep is decoded into `uncached` instead.
    const DecodedFile& decodedFile(std::vector<std::uint8_t> bytes,
                                   std::unique_ptr<DecodedFile>& uncached);

    static Task<void> captureIconsAsync(std::weak_ptr<MenuBarController> weakSelf);
    static Task<void> retryRefresh(std::weak_ptr<MenuBarController> weakSelf, Duration delay);
    void scheduleDelayedRetry(const RefreshSignature& signature);
    void cancelPendingRetry();

    const Platform& platform_;
    MainExecutor& executor_;

    std::vector<StatusItemInfo> hiddenItems_;
    bool accessibilityGranted_ = false;
    bool fullDiskAccessGranted_ = false;
    bool isLoading_ = false;

    AccessibilityBridge axBridge_;
    IconProvider iconProvider_;
    ControlCenterTrackedApps trackedApps_;
    std::unique_ptr<DecodedFile> lastFile_;

    std::optional<RefreshSignature> lastRefreshSignature_;
    std::optional<TaskHandle> retryRefreshTask_;
    std::optional<RefreshSignature> pendingRetrySignature_;
    const Duration delayedRetry_ = kDelayedRetry;

    std::vector<std::pair<ObserverId, Observer>> observers_;
    ObserverId nextObserverId_ = 1;
};

}  // namespace stowbar
