#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/UserTexts.hpp"
#include "platform/PanelHost.hpp"

namespace stowbar {

// What the panel shows, decided without any toolkit: which of its five states, every fixed
// text, the footer's count, the rows (one per hidden extra) and whether they scroll, and where
// each of its controls leads. The keyboard's focus and the type-to-filter text are the
// navigator's (HiddenItemPanelNavigator), which narrows this content. The view (the Qt panel,
// on Linux and inside the macOS popover alike) only lays it out and reports clicks back
// through HiddenItemPanelModel.
//
// Threading: main thread only, like the controller the inputs are read from. Everything here
// is a pure function of its arguments except the actions, which call the injected callbacks
// synchronously.

// The five things the panel can show above its footer.
enum class PanelState : std::uint8_t { accessibility, fullDiskAccess, loading, list, empty };

// The name of a state as transcripts and snapshot file names use it ("accessibility",
// "fullDiskAccess", "loading", "list", "empty").
std::string_view panelStateName(PanelState state);

// Names of the symbol images the panel draws; the view turns each into a picture.
namespace panel_symbol {
inline constexpr std::string_view kAccessibilityPrompt = "lock.shield";
inline constexpr std::string_view kFullDiskAccessPrompt = "externaldrive.badge.exclamationmark";
inline constexpr std::string_view kEmpty = "checkmark.circle";
// Drawn in a row whose hidden extra has no picture at all.
inline constexpr std::string_view kMissingIcon = "app.dashed";
}  // namespace panel_symbol

// System Settings opened at the Privacy & Security pane, scrolled to the permission's entry.
namespace panel_url {
inline constexpr std::string_view kAccessibilitySettings =
    "x-apple.systempreferences:com.apple.preference.security?Privacy_Accessibility";
inline constexpr std::string_view kFullDiskAccessSettings =
    "x-apple.systempreferences:com.apple.preference.security?Privacy_AllFiles";
}  // namespace panel_url

// One of the two permission prompts.
struct PermissionPrompt {
    std::string_view symbolName;
    std::string_view title;
    std::string_view description;
    std::string_view settingsURL;
};

// The colour a footer button's label takes: the full-strength label colour while the pointer
// is over it, the dimmed one otherwise.
enum class LabelLevel : std::uint8_t { primary, secondary };

// Everything the panel shows for one set of inputs.
struct PanelContent {
    PanelState state = PanelState::empty;
    // Present in the two prompt states only.
    std::optional<PermissionPrompt> prompt;
    // The rows in list order, in the list state only; each row is known by its hidden extra's
    // id.
    std::vector<StatusItemInfo> rows;
    // Whether the rows sit in a scroll view of kScrollViewHeight points.
    bool rowsScroll = false;
    // Shown in every state, including the prompts: a prompt may show a count left from an
    // earlier refresh.
    std::int64_t hiddenItemCount = 0;
    std::string footerText;
    // The type-to-filter text narrowing the rows; empty when the list is not filtered.
    std::string filter;
};

class HiddenItemPanelModel {
  public:
    // The panel is this wide in every state; its height is that of its content.
    static constexpr double kPanelWidth = 200;
    // The list's scroll rule estimates each row at this height and scrolls past this height.
    static constexpr double kRowHeightEstimate = 46;
    static constexpr double kScrollViewHeight = 440;

    explicit HiddenItemPanelModel(PanelActions actions) : actions_(std::move(actions)) {}

    // The first rule that holds: a missing Accessibility permission, then a missing Full Disk
    // Access permission, then loading with nothing to show yet, then a non-empty list, else
    // empty. A missing permission hides a list the controller still holds; a refresh never
    // blanks a list that is already shown.
    static PanelState stateFor(const PanelInputs& inputs);
    static PanelContent describe(const PanelInputs& inputs);

    static const PermissionPrompt& accessibilityPrompt();
    static const PermissionPrompt& fullDiskAccessPrompt();

    // Whether n rows go into the fixed-height scroll view: 1 to 9 never do, 10 or more always.
    static bool rowsScroll(std::size_t rowCount);
    // "%lld Hidden Items" (or its form for one hidden extra) with the count in place of the
    // placeholder, in the user's language.
    static std::string footerText(std::int64_t count);
    // "%lld of %lld Hidden Items" with the rows shown and all hidden extras, its words agreeing
    // with the number of all hidden extras ("1 of 1 Hidden Item").
    static std::string filteredFooterText(std::int64_t shown, std::int64_t count);
    // What a symbol stands for, as a screen reader says it; empty for a name not known here.
    static std::string_view symbolDescription(std::string_view symbolName);
    static LabelLevel footerButtonLevel(bool hovered) {
        return hovered ? LabelLevel::primary : LabelLevel::secondary;
    }

    // Whether the prompts show "Open Settings".
    bool offersSettings() const { return static_cast<bool>(actions_.openURL); }

    // What the panel's controls do. None of them touches the inputs: the prompt goes away
    // only when the controller next publishes the permission as granted.
    void checkForUpdates() const;
    void quit() const;
    void openSettings(const PermissionPrompt& prompt) const;
    void activate(const StatusItemInfo& item) const;
    void preferredSizeChanged() const;
    bool offersUpdates() const { return actions_.offersUpdates; }

  private:
    PanelActions actions_;
};

}  // namespace stowbar
