#include "core/HiddenItemPanelNavigator.hpp"
#include "platform/PanelHost.hpp"
#include "platform/StatusItemInfo.hpp"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "support/Golden.hpp"

namespace stowbar {
namespace {

PanelInputs listOf(const std::vector<std::string>& names) {
    PanelInputs inputs{{}, true, true, false};
    for (const auto& name : names) {
        StatusItemInfo item;
        item.id = static_cast<std::uint32_t>(inputs.hiddenItems.size() + 1);
        item.pid = static_cast<std::int32_t>(100 + item.id);
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

// A list as a rescan publishes it, from "name/pid" or "name/pid/window" words: an extra with a
// window number is known by it, one without by its place in the list.
PanelInputs scanned(const std::string& extras) {
    PanelInputs inputs{{}, true, true, false};
    std::istringstream words(extras);
    for (std::string word; words >> word;) {
        std::istringstream fields(word);
        StatusItemInfo item;
        std::string pid;
        std::string window;
        std::getline(fields, item.appName, '/');
        std::getline(fields, pid, '/');
        std::getline(fields, window, '/');
        item.pid = std::stoi(pid);
        item.windowID = window.empty() ? 0 : static_cast<std::uint32_t>(std::stoul(window));
        item.id = item.windowID != 0 ? item.windowID
                                     : static_cast<std::uint32_t>(inputs.hiddenItems.size() + 1);
        inputs.hiddenItems.push_back(item);
    }
    return inputs;
}

TEST(HiddenItemPanelNavigatorTest, FocusStaysOnTheSameExtraWhenARescanRenumbersTheList) {
    struct Case {
        const char* what;
        const char* before;
        std::size_t focusedRow;
        const char* after;
        const char* focused;
    };
    const Case cases[] = {
        {"an earlier application quit", "Early/10 Alpha/20 Beta/30", 1, "Alpha/20 Beta/30",
         "Alpha"},
        {"another extra's window number is the focused one's old place",
         "Early/10 Alpha/20 Beta/30", 1, "Gadget/40/2 Alpha/20 Beta/30", "Alpha"},
        {"an application appeared before the second of two extras", "One/20 Two/20 Beta/30", 1,
         "Early/10 One/20 Two/20 Beta/30", "Two"},
        {"extras with window numbers swapped places", "Alpha/20/500 Beta/30/600", 1,
         "Beta/30/600 Alpha/20/500", "Beta"},
        {"the focused extra is gone: the row now in its place", "Alpha/20 Beta/30 Gamma/40", 1,
         "Alpha/20 Gamma/40", "Gamma"},
        {"the last row is gone: the new last row", "Alpha/20 Beta/30", 1, "Alpha/20", "Alpha"},
    };
    for (const Case& c : cases) {
        HiddenItemPanelNavigator navigator;
        navigator.setInputs(scanned(c.before), true, true);
        navigator.open();
        navigator.focusRow(c.focusedRow);
        navigator.setInputs(scanned(c.after), true, true);
        ASSERT_NE(navigator.focusedItem(), nullptr) << c.what;
        EXPECT_EQ(navigator.focusedItem()->appName, c.focused) << c.what;
    }
}

TEST(HiddenItemPanelNavigatorTest, KeySequencesMoveTheFocusFilterTheListAndPress) {
    const std::map<std::string, PanelInputs> lists = {
        {"three", listOf({"Dropbox", "Weather", "Drafts"})},
        {"google", listOf({"Google Drive", "Drafts"})},
        {"accented", listOf({"Café Menu", "Zoë", "Plain"})},
        {"plain", listOf({"Cafe", "Zoe"})},
        {"zoë", listOf({"Zoë"})},
        {"prompt", withoutAccessibility(2)},
        {"empty", listOf({})},
    };
    test::expectGoldenTable("navigator-keys.txt", [&lists](const std::string& line) {
        const auto colon = line.find(':');
        return play(lists.at(line.substr(0, colon)), line.substr(colon + 1));
    });

    // Buttons the platform does not offer are skipped.
    EXPECT_EQ(play(withoutAccessibility(1), "", false, false), "none |  |  | 1 Hidden Item | 0");
    EXPECT_EQ(play(withoutAccessibility(1), "Down", false, false).substr(0, 4), "Quit");
    EXPECT_EQ(play(lists.at("three"), "End Down", false, true).substr(0, 4), "Quit");
}

// A filter holds through a new list, and whether the rows scroll follows the filtered list:
// ten matches of twelve scroll, nine do not. Focus on a new list and a close clearing the
// filter are in the simulator's keyboard and overlap transcripts.
TEST(HiddenItemPanelNavigatorTest, AFilterHoldsThroughNewListsAndTheScrollRuleFollowsIt) {
    std::vector<std::string> names(12, "Match");
    names[0] = names[1] = "Other";
    HiddenItemPanelNavigator navigator;
    navigator.setInputs(listOf(names), true, true);
    navigator.open();
    navigator.type("match");
    EXPECT_TRUE(navigator.content().rowsScroll);
    names[2] = "Other";
    navigator.setInputs(listOf(names), true, true);
    EXPECT_EQ(navigator.filter(), "match");
    EXPECT_EQ(navigator.content().rows.size(), 9u);
    EXPECT_FALSE(navigator.content().rowsScroll);
}

}  // namespace
}  // namespace stowbar
