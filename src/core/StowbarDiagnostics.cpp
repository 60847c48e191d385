#include "core/StowbarDiagnostics.hpp"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "core/AccessibilityBridge.hpp"
#include "core/ControlCenterTrackedApps.hpp"
#include "core/DateFormat.hpp"
#include "core/DisplayText.hpp"
#include "core/MenuBarController.hpp"
#include "core/MenuBarItemRecords.hpp"
#include "core/UnicodeOrdering.hpp"
#include "platform/Geometry.hpp"
#include "platform/Platform.hpp"

namespace stowbar {

namespace {

constexpr std::string_view kBanner = "=== Stowbar diagnostics ===";
constexpr std::string_view kFileHeader =
    "--- Control Center prefs file (direct read, NOT cfprefsd) ---";
constexpr std::string_view kStatFailed = "stat: FAILED (missing or TCC-blocked)";
constexpr std::string_view kReadFailed = "Data(contentsOf:) FAILED: ";
constexpr std::string_view kReadFailedAdvice =
    ">>> The app cannot read the file at runtime \u2014 this alone would explain missed "
    "updates.";
constexpr std::string_view kSnapshotHeader =
    "--- Parsed hidden set (ControlCenterTrackedApps.loadSnapshot) ---";
constexpr std::string_view kNoSnapshot = "loadSnapshot() returned nil (read/parse failed)";
constexpr std::string_view kAccessibilityHeader =
    "--- Accessibility + AXExtrasMenuBar discovery ---";
constexpr std::string_view kNotTrustedAdvice1 =
    ">>> Not trusted. Grant this binary Accessibility in System Settings > Privacy & Security,";
constexpr std::string_view kNotTrustedAdvice2 =
    ">>> then re-run. The file/parse diagnostics above do not need this.";
// A frame coordinate as the report prints it: to the nearest whole number, by the C library's
// own rounding, so that the output matches printf's "%.0f" exactly.
std::string wholeNumber(double value) {
    const int length = std::snprintf(nullptr, 0, "%.0f", value);
    if (length <= 0) {
        return "?";
    }
    std::string text(static_cast<std::size_t>(length), '\0');
    std::snprintf(text.data(), text.size() + 1, "%.0f", value);
    return text;
}

}  // namespace

void StowbarDiagnostics::run(const Platform& platform) {
    std::ostream& out = platform.standardOutput;
    const auto version = platform.system.operatingSystemVersion();
    out << kBanner << '\n';
    out << "macOS " << version.major << '.' << version.minor << '.' << version.patch << '\n';
    out << '\n';

    // The same path the reader uses, worked out the same way but held apart from any reader.
    const std::string groupPrefsPath = expandTildeInPath(ControlCenterTrackedApps::kGroupPrefsPath,
                                                         platform.system.homeDirectory());
    diagnoseControlCenterFile(platform, groupPrefsPath);
    diagnoseSnapshot(platform);
    diagnoseAccessibility(platform);
    out.flush();
}

// Repeats the reader's own file steps so that the first one that fails shows.
void StowbarDiagnostics::diagnoseControlCenterFile(const Platform& platform,
                                                   const std::string& path) {
    std::ostream& out = platform.standardOutput;
    out << kFileHeader << '\n';
    out << "path: " << escapedControlCharacters(path) << '\n';

    if (const auto attributes = platform.files.attributes(path)) {
        out << "stat: size=" << attributes->size.value_or(0) << " bytes  modified="
            << (attributes->modificationDate ? formatReportDate(*attributes->modificationDate)
                                             : "?")
            << '\n';
    } else {
        out << kStatFailed << '\n';
    }

    const auto contents = platform.files.readFile(path);
    if (contents.bytes) {
        out << "Data(contentsOf:) read OK: " << contents.bytes->size() << " bytes\n";
    } else {
        out << kReadFailed << escapedControlCharacters(contents.errorDescription) << '\n';
        out << kReadFailedAdvice << '\n';
    }
    out << '\n';
}

// Shows exactly what the rest of the program would see, through the reader itself.
void StowbarDiagnostics::diagnoseSnapshot(const Platform& platform) {
    std::ostream& out = platform.standardOutput;
    out << kSnapshotHeader << '\n';

    const auto snapshot =
        ControlCenterTrackedApps(platform.system, platform.files, platform.propertyLists)
            .loadSnapshot();
    if (!snapshot) {
        out << kNoSnapshot << '\n' << '\n';
        return;
    }

    const auto& fingerprint = snapshot->fingerprint;
    out << "fingerprint: size="
        << (fingerprint.fileSize ? std::to_string(*fingerprint.fileSize) : "?") << "  modified="
        << (fingerprint.modificationDate ? formatReportDate(*fingerprint.modificationDate) : "?")
        << '\n';

    std::vector<std::pair<std::string, const std::string*>> ordered;
    ordered.reserve(snapshot->hiddenBundleIdentifiers.size());
    for (const auto& identifier : snapshot->hiddenBundleIdentifiers) {
        ordered.emplace_back(canonicalSortKey(identifier), &identifier);
    }
    // Distinct identifiers can share a composed form; their own bytes break the tie.
    std::sort(ordered.begin(), ordered.end(), [](const auto& left, const auto& right) {
        return std::tie(left.first, *left.second) < std::tie(right.first, *right.second);
    });

    out << "hidden bundle identifiers (" << ordered.size() << "):\n";
    for (const auto& entry : ordered) {
        out << "  \u2022 " << escapedControlCharacters(*entry.second) << '\n';
    }
    out << '\n';
}

void StowbarDiagnostics::diagnoseAccessibility(const Platform& platform) {
    std::ostream& out = platform.standardOutput;
    out << kAccessibilityHeader << '\n';
    const bool trusted = platform.accessibility.isProcessTrusted();
    out << "AXIsProcessTrusted: " << (trusted ? "true" : "false") << '\n';
    if (!trusted) {
        out << kNotTrustedAdvice1 << '\n' << kNotTrustedAdvice2 << '\n' << '\n';
        return;
    }

    const std::int32_t ownPid = platform.system.processIdentifier();
    // Only to mark items; the section before this one already said whether loading worked.
    const auto snapshot =
        ControlCenterTrackedApps(platform.system, platform.files, platform.propertyLists)
            .loadSnapshot();
    const std::set<std::string> hidden =
        snapshot ? snapshot->hiddenBundleIdentifiers : std::set<std::string>{};

    // Every running application that could own extras, whether Control Center hides it or not:
    // the report shows what there is, not what the panel would pick.
    const auto targets = MenuBarController::scanTargets(platform.workspace.runningApplications(),
                                                        std::nullopt, ownPid);
    const auto items = AccessibilityBridge(platform.accessibility).findMenuBarItems(targets);
    out << "apps scanned: " << targets.size() << "   menu bar items found: " << items.size()
        << '\n';

    std::vector<std::pair<std::string, const AppMenuBarItem*>> ordered;
    ordered.reserve(items.size());
    for (const auto& item : items) {
        ordered.emplace_back(canonicalSortKey(targets[item.target].appName), &item);
    }
    // Ties go by place in `items` (the pointers point into it), so that the extras of one
    // application stay in the order the bridge found them.
    std::sort(ordered.begin(), ordered.end());

    for (const auto& entry : ordered) {
        const AppMenuBarItem& item = *entry.second;
        const AppScanTarget& owner = targets[item.target];
        const Rect frame = item.axFrame.standardized();
        const bool hiddenInPlist =
            owner.bundleIdentifier && hidden.count(*owner.bundleIdentifier) != 0;
        // Names and identifiers come from other applications; each item stays on its line.
        out << "  " << escapedControlCharacters(owner.appName) << " ["
            << escapedControlCharacters(owner.bundleIdentifier.value_or("-")) << "]  ax=("
            << wholeNumber(frame.origin.x) << ',' << wholeNumber(frame.origin.y) << ' '
            << wholeNumber(frame.size.width) << 'x' << wholeNumber(frame.size.height)
            << ")  hiddenInPlist=" << (hiddenInPlist ? "YES" : "no") << '\n';
    }
    out << '\n';
}

}  // namespace stowbar
