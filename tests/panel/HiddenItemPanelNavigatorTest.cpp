#include "core/HiddenItemPanelNavigator.hpp"
#include "platform/PanelHost.hpp"
#include "platform/StatusItemInfo.hpp"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace stowbar {
namespace {

PanelInputs listOf(const std::vector<std::string>& names) {
    PanelInputs inputs{{}, true, true, false};
    for (const auto& name : names) {
        StatusItemInfo item;
        item.id = static_cast<std::uint32_t>(inputs.hiddenItems.size() + 1);
        item.appName = name;
        inputs.hiddenItems.push_back(item);
    }
    return inputs;
}

PanelInputs withoutAccessibility(std::size_t count) {
    PanelInputs inputs = listOf(std::vector<std::string>(count, "App"));
    inputs.accessibilityGranted = false;
    return inputs;
}

std::string describeFocus(const HiddenItemPanelNavigator& navigator) {
    if (!navigator.focus()) {
        return "none";
    }
    if (navigator.focus()->control == PanelControl::row) {
        return "row " + std::to_string(navigator.focus()->row);
    }
    return std::string(panelControlLabel(navigator.focus()->control));
}

// Plays `steps` (key names, or "type:" followed by text, separated by spaces) on a navigator
// that was just opened over `inputs`, and tells what came of them as
// "focus | filter | presses | footer | rows". Each press names the control it pressed (a row by
// its item's name); a close request reads "close".
std::string play(const PanelInputs& inputs, const std::string& steps, bool offersUpdates = true,
                 bool offersSettings = true) {
    HiddenItemPanelNavigator navigator;
    navigator.setInputs(inputs, offersUpdates, offersSettings);
    navigator.open();
    std::string presses;
    std::istringstream words(steps);
    for (std::string step; words >> step;) {
        if (step.rfind("type:", 0) == 0) {
            navigator.type(step.substr(5));
            continue;
        }
        const auto key = panelKeyNamed(step);
        EXPECT_TRUE(key.has_value()) << step;
        const PanelCommand command = navigator.key(*key);
        if (command != PanelCommand::none) {
            presses += presses.empty() ? "" : ",";
            presses += command == PanelCommand::close       ? "close"
                       : navigator.focusedItem() != nullptr ? navigator.focusedItem()->appName
                                                            : describeFocus(navigator);
        }
    }
    return describeFocus(navigator) + " | " + navigator.filter() + " | " + presses + " | " +
           navigator.content().footerText + " | " + std::to_string(navigator.content().rows.size());
}

TEST(HiddenItemPanelNavigatorTest, KeySequencesMoveTheFocusFilterTheListAndPress) {
    const PanelInputs three = listOf({"Dropbox", "Weather", "Drafts"});
    struct Case {
        const char* what;
        PanelInputs in;
        std::string steps;
        std::string outcome;
    };
    const Case cases[] = {
        {"opening focuses the first row", three, "", "row 0 |  |  | 3 Hidden Items | 3"},
        {"down moves along the rows", three, "Down Down", "row 2 |  |  | 3 Hidden Items | 3"},
        {"down goes on to the buttons and stops at Quit", three, "Down Down Down Down Down Down",
         "Quit |  |  | 3 Hidden Items | 3"},
        {"up stops at the first row", three, "Up Up", "row 0 |  |  | 3 Hidden Items | 3"},
        {"tab wraps from Quit to the first row", three, "Tab Tab Tab Tab Tab",
         "row 0 |  |  | 3 Hidden Items | 3"},
        {"backtab wraps from the first row to Quit", three, "Backtab",
         "Quit |  |  | 3 Hidden Items | 3"},
        {"end goes to the last row", three, "End", "row 2 |  |  | 3 Hidden Items | 3"},
        {"home goes back to the first", three, "End Home", "row 0 |  |  | 3 Hidden Items | 3"},
        {"return presses the focused row", three, "Down Return",
         "row 1 |  | Weather | 3 Hidden Items | 3"},
        {"space presses the focused button", three, "End Down Space",
         "Updates |  | Updates | 3 Hidden Items | 3"},
        {"escape without a filter asks to close", three, "Escape",
         "row 0 |  | close | 3 Hidden Items | 3"},
        {"typing filters by a case-insensitive substring", three, "type:DR",
         "row 0 | DR |  | 2 of 3 Hidden Items | 2"},
        {"the filtered list is what return presses", three, "type:dr Down Return",
         "row 1 | dr | Drafts | 2 of 3 Hidden Items | 2"},
        {"backspace removes the last character", three, "type:dra Backspace",
         "row 0 | dr |  | 2 of 3 Hidden Items | 2"},
        {"escape clears the filter first, then closes", three, "type:dra Escape Escape",
         "row 0 |  | close | 3 Hidden Items | 3"},
        {"space belongs to a filter being typed", listOf({"Google Drive", "Drafts"}),
         "type:google Space type:d", "row 0 | google d |  | 1 of 2 Hidden Items | 1"},
        {"diacritics and case are ignored both ways", listOf({"Café Menu", "Zoë", "Plain"}),
         "type:CAFE", "row 0 | CAFE |  | 1 of 3 Hidden Items | 1"},
        {"a typed accent matches a plain letter", listOf({"Cafe", "Zoe"}), "type:zoë",
         "row 0 | zoë |  | 1 of 2 Hidden Items | 1"},
        {"backspace removes a whole multi-byte character", listOf({"Zoë"}), "type:zoë Backspace",
         "row 0 | zo |  | 1 of 1 Hidden Items | 1"},
        {"nothing matching leaves no row and return does nothing", three, "type:xyz Return",
         "none | xyz |  | 0 of 3 Hidden Items | 0"},
        {"down from nothing matching goes to the buttons", three, "type:xyz Down",
         "Updates | xyz |  | 0 of 3 Hidden Items | 0"},
        {"a prompt focuses its button and cannot be filtered", withoutAccessibility(2), "type:ap",
         "Open Settings |  |  | 2 Hidden Items | 0"},
        {"a prompt's order is its button, Updates, Quit", withoutAccessibility(2),
         "Down Down Return", "Quit |  | Quit | 2 Hidden Items | 0"},
        {"the empty state has no focus until a key moves it", listOf({}), "",
         "none |  |  | 0 Hidden Items | 0"},
        {"the empty state's first control is Updates", listOf({}), "Tab",
         "Updates |  |  | 0 Hidden Items | 0"},
        {"control characters are not typed", three, "type:\x01\x7f",
         "row 0 |  |  | 3 Hidden Items | 3"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(play(c.in, c.steps), c.outcome) << c.what;
    }

    // Buttons the platform does not offer are skipped.
    EXPECT_EQ(play(withoutAccessibility(1), "", false, false), "none |  |  | 1 Hidden Items | 0");
    EXPECT_EQ(play(withoutAccessibility(1), "Down", false, false).substr(0, 4), "Quit");
    EXPECT_EQ(play(three, "End Down", false, true).substr(0, 4), "Quit");
}

TEST(HiddenItemPanelNavigatorTest, FocusAndFilterFollowNewListsAndCloseClearsTheFilter) {
    HiddenItemPanelNavigator navigator;
    navigator.setInputs(PanelInputs{{}, true, true, true}, true, true);
    navigator.open();
    EXPECT_FALSE(navigator.focus().has_value()) << "nothing to focus while loading";

    // The list arrives while the panel is open: its first row takes the focus.
    PanelInputs list = listOf({"Alpha", "Beta", "Gamma"});
    navigator.setInputs(list, true, true);
    ASSERT_NE(navigator.focusedItem(), nullptr);
    EXPECT_EQ(navigator.focusedItem()->appName, "Alpha");

    // The focused item moves: the focus goes with it.
    navigator.key(PanelKey::down);
    std::swap(list.hiddenItems[0], list.hiddenItems[1]);
    navigator.setInputs(list, true, true);
    EXPECT_EQ(navigator.focus(), (PanelFocus{PanelControl::row, 0}));
    EXPECT_EQ(navigator.focusedItem()->appName, "Beta");

    // A filter holds through a new list of the same names.
    navigator.type("a");
    navigator.type("m");
    EXPECT_EQ(navigator.content().rows.size(), 1u);
    navigator.setInputs(list, true, true);
    EXPECT_EQ(navigator.filter(), "am");
    EXPECT_EQ(navigator.content().rowsScroll, false);

    navigator.close();
    EXPECT_EQ(navigator.filter(), "");
    EXPECT_FALSE(navigator.focus().has_value());
    EXPECT_EQ(navigator.content().rows.size(), 3u);

    // Ten matches of twelve scroll; nine do not: the scroll rule follows the filtered list.
    std::vector<std::string> names(12, "Match");
    names[0] = names[1] = "Other";
    navigator.setInputs(listOf(names), true, true);
    navigator.open();
    navigator.type("match");
    EXPECT_TRUE(navigator.content().rowsScroll);
    navigator.type("x");
    navigator.key(PanelKey::backspace);
    names[2] = "Other";
    navigator.setInputs(listOf(names), true, true);
    EXPECT_EQ(navigator.content().rows.size(), 9u);
    EXPECT_FALSE(navigator.content().rowsScroll);
}

}  // namespace
}  // namespace stowbar
