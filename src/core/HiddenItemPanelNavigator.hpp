#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/HiddenItemPanelModel.hpp"

namespace stowbar {

// The keys the panel answers to while it has the keyboard.
enum class PanelKey : std::uint8_t {
    up,
    down,
    home,
    end,
    tab,
    backtab,
    enter,
    space,
    escape,
    backspace
};

// Each key's name, as scripts write it, in the order above; the one place they are spelt.
struct PanelKeyName {
    std::string_view name;
    PanelKey key;
};
inline constexpr std::array<PanelKeyName, 10> kPanelKeyNames{{
    {"Up", PanelKey::up},
    {"Down", PanelKey::down},
    {"Home", PanelKey::home},
    {"End", PanelKey::end},
    {"Tab", PanelKey::tab},
    {"Backtab", PanelKey::backtab},
    {"Return", PanelKey::enter},
    {"Space", PanelKey::space},
    {"Escape", PanelKey::escape},
    {"Backspace", PanelKey::backspace},
}};

// The key of that name in kPanelKeyNames; none for any other name.
std::optional<PanelKey> panelKeyNamed(std::string_view name);

// What can hold the keyboard focus inside the panel.
enum class PanelControl : std::uint8_t { row, openSettings, updates, quit };

struct PanelFocus {
    PanelControl control = PanelControl::row;
    // The row's place in the list as shown (after filtering); 0 for the buttons.
    std::size_t row = 0;

    friend bool operator==(const PanelFocus&, const PanelFocus&) = default;
};

// A button's label, as the user reads it ("Open Settings", "Updates", "Quit"); empty for a row.
std::string_view panelControlLabel(PanelControl control);

// What a key asks of the view beyond moving the focus or editing the filter.
enum class PanelCommand : std::uint8_t {
    none,
    // Press the focused control exactly as a click on it would.
    press,
    // Close the popover.
    close,
};

// The panel as a keyboard user meets it, decided without any toolkit: which control has the
// focus, what the type-to-filter text is, and which rows the filter leaves. The view draws
// content() (the model's content with the filter applied) and the focus, and turns each key
// into key() or type().
//
// The focus order is the rows as shown, then the prompt's "Open Settings", "Updates" and
// "Quit", leaving out any that are not offered. Up and Down stop at either end; Tab and
// Backtab wrap around. Home goes to the first control, End to the last row (the last control
// when there are no rows). Return and Space press the focused control; while a filter is being
// typed, Space is part of it, as names have spaces. Escape clears the filter first and asks
// to close the popover once there is none. Typing filters the list by name (a substring,
// ignoring case and diacritics) and only works while the list is shown.
//
// Threading: main thread only, like the panel.
class HiddenItemPanelNavigator {
  public:
    // New inputs from the controller and which optional controls the panel offers. The filter
    // stays while the list is shown and is dropped when it is not; the focus stays on the same
    // item or control when it is still there.
    void setInputs(const PanelInputs& inputs, bool offersUpdates, bool offersSettings);

    // The popover opened: the first row, or the prompt's button, has the focus.
    void open();
    // The popover closed: no focus, and the filter is cleared.
    void close();

    PanelCommand key(PanelKey key);
    // Appends typed text to the filter; false (and nothing changes) when no list is shown or
    // the text has nothing printable.
    bool type(std::string_view text);
    // The pointer went over a row: the focus follows it, so that there is one highlight.
    void focusRow(std::size_t row);

    const PanelContent& content() const { return content_; }
    const std::optional<PanelFocus>& focus() const { return focus_; }
    const std::string& filter() const { return filter_; }
    // The item of the focused row; null when no row has the focus.
    const StatusItemInfo* focusedItem() const;

    // Whether `name` contains `filter`, ignoring case and diacritics. An empty filter matches.
    static bool nameMatches(std::string_view name, std::string_view filter);

  private:
    // Who an extra is across rescans. Its id is good within one list only: an extra without a
    // window number is known there by its place, which passes to a neighbour when an earlier
    // application quits. Its process and window number, or without one its place among its
    // process's extras, stay with it.
    struct ExtraIdentity {
        std::int32_t pid = 0;
        std::uint32_t windowID = 0;
        std::size_t placeInProcess = 0;

        bool sameExtra(const ExtraIdentity& other) const;
    };

    void refresh();
    void rememberFocusedItem();
    std::vector<PanelFocus> order() const;
    void move(int step, bool wrap);
    void focusFirst();

    PanelInputs inputs_;
    bool offersUpdates_ = false;
    bool offersSettings_ = false;
    std::string filter_;
    PanelContent content_;
    std::optional<PanelFocus> focus_;
    bool open_ = false;
    // The identity of each row's item, beside content_.rows.
    std::vector<ExtraIdentity> rowIdentities_;
    // The focused row's item, so that the focus follows it through new lists.
    std::optional<ExtraIdentity> focusedExtra_;
};

}  // namespace stowbar
