#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "platform/Translations.hpp"

namespace stowbar {

// Every text the program shows a person, in one table, in English, the language the program
// is written in. Each text is also its own key in a translation (translations/stowbar.ts lists
// them all for a translator, and a test keeps that list and this table the same), so that a
// new language is one translation file and no change of code. Application names and the
// diagnostics report are not here: names are shown as their applications give them, and the
// report is read by whoever debugs the program, in one language, by tools as well as people.
//
// Threading: main thread only, like everything that shows a text.

// A text with numbers in it whose words depend on the last of those numbers ("1 Hidden Item",
// "2 Hidden Items"). Its key is the form for most numbers; "%lld" stands for each number.
struct CountText {
    std::string_view one;
    std::string_view other;
};

// The fixed texts of the panel.
namespace panel_text {
inline constexpr std::string_view kAccessibilityTitle = "Accessibility Access Required";
inline constexpr std::string_view kAccessibilityDescription =
    "Stowbar needs Accessibility access to identify and interact with hidden icons.";
inline constexpr std::string_view kFullDiskAccessTitle = "Full Disk Access Required";
inline constexpr std::string_view kFullDiskAccessDescription =
    "macOS 26+ stores the list of hidden menu bar items in a protected file. Stowbar needs "
    "Full Disk Access to read it.";
inline constexpr std::string_view kOpenSettings = "Open Settings";
inline constexpr std::string_view kScanning = "Scanning menu bar items\u2026";
inline constexpr std::string_view kNoHiddenItems = "No hidden items found";
inline constexpr std::string_view kEmptyHint =
    "Hide menu bar icons in System Settings \u2192 Menu Bar \u2192 Allow in the Menu Bar";
// The footer's count: the number of hidden extras.
inline constexpr CountText kHiddenItemsCount{"%lld Hidden Item", "%lld Hidden Items"};
// The footer's count while a typed filter narrows the list: the rows shown, then all of them.
inline constexpr CountText kFilteredCount{"%lld of %lld Hidden Item", "%lld of %lld Hidden Items"};
inline constexpr std::string_view kUpdates = "Updates";
inline constexpr std::string_view kQuit = "Quit";
// What assistive technologies read for a row (after its application's name), for the
// progress indicator, and for each symbol.
inline constexpr std::string_view kRowDescription = "Hidden menu bar item";
inline constexpr std::string_view kScanningDescription = "Scanning";
inline constexpr std::string_view kAccessibilitySymbolDescription = "Accessibility";
inline constexpr std::string_view kFullDiskAccessSymbolDescription = "Full Disk Access";
inline constexpr std::string_view kEmptySymbolDescription = "No hidden items";
inline constexpr std::string_view kMissingIconSymbolDescription = "Application";
}  // namespace panel_text

// The one alert: the login item waits for the user's approval.
namespace alert_text {
inline constexpr std::string_view kApprovalMessage = "Approval Required";
inline constexpr std::string_view kApprovalInformative =
    "macOS requires approval before Stowbar can launch at login. Check System Settings > "
    "General > Login Items.";
inline constexpr std::string_view kApprovalButton = "OK";
}  // namespace alert_text

// Every key of the table, for the list a translator works from.
inline constexpr std::string_view kEveryTextKey[] = {
    panel_text::kAccessibilityTitle,
    panel_text::kAccessibilityDescription,
    panel_text::kFullDiskAccessTitle,
    panel_text::kFullDiskAccessDescription,
    panel_text::kOpenSettings,
    panel_text::kScanning,
    panel_text::kNoHiddenItems,
    panel_text::kEmptyHint,
    panel_text::kHiddenItemsCount.other,
    panel_text::kFilteredCount.other,
    panel_text::kUpdates,
    panel_text::kQuit,
    panel_text::kRowDescription,
    panel_text::kScanningDescription,
    panel_text::kAccessibilitySymbolDescription,
    panel_text::kFullDiskAccessSymbolDescription,
    panel_text::kEmptySymbolDescription,
    panel_text::kMissingIconSymbolDescription,
    alert_text::kApprovalMessage,
    alert_text::kApprovalInformative,
    alert_text::kApprovalButton,
};

// Where texts are translated from now on; nothing (the default) shows them in English. The
// translations must outlive every later call below.
void useTranslations(const Translations* translations);

// The text in the user's language, else as written.
std::string localized(std::string_view text);

// The count text in the user's language, its form chosen by the last number, with the numbers
// in its placeholders in turn. English has two forms: one for exactly 1, the other for every
// other number, 0 included.
std::string localized(const CountText& text, std::initializer_list<std::int64_t> numbers);

}  // namespace stowbar
