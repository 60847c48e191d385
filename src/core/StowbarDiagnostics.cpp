#include "core/StowbarDiagnostics.hpp"

#include <algorithm>
#include <string_view>
#include <tuple>
#include <vector>

#include "core/ControlCenterTrackedApps.hpp"
#include "core/DateFormat.hpp"
#include "core/UnicodeOrdering.hpp"

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

}  // namespace

void StowbarDiagnostics::run(const Platform& platform) {
    std::ostream& out = platform.standardOutput;
    const auto version = platform.system.operatingSystemVersion();
    out << kBanner << '\n';
    out << "macOS " << version.major << '.' << version.minor << '.' << version.patch << '\n';
    out << '\n';

    // The same path the reader uses, worked out the same way but held apart from any reader.
    const std::string groupPrefsURL = expandTildeInPath(ControlCenterTrackedApps::kGroupPrefsPath,
                                                        platform.system.homeDirectory());
    diagnoseControlCenterFile(platform, groupPrefsURL);
    diagnoseSnapshot(platform);
    diagnoseAccessibility(platform);
    out.flush();
}

// Repeats the reader's own file steps so that the first one that fails shows.
void StowbarDiagnostics::diagnoseControlCenterFile(const Platform& platform,
                                                   const std::string& path) {
    std::ostream& out = platform.standardOutput;
    out << kFileHeader << '\n';
    out << "path: " << path << '\n';

    if (const auto attributes = platform.files.attributes(path)) {
        out << "stat: size=" << attributes->size.value_or(0) << " bytes  modified="
            << (attributes->modificationDate ? formatReportDate(*attributes->modificationDate)
                                             : "?")
            << '\n';
    } else {
        out << kStatFailed << '\n';
    }

    const auto contents = platform.files.readFile(path);
    if (contents.succeeded()) {
        out << "Data(contentsOf:) read OK: " << contents.bytes->size() << " bytes\n";
    } else {
        out << kReadFailed << contents.errorDescription << '\n';
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
        out << "  \u2022 " << *entry.second << '\n';
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

    out << '\n';
}

}  // namespace stowbar
