#include "core/HiddenItemPanelModel.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace stowbar {
namespace {

std::vector<StatusItemInfo> items(std::size_t count) {
    std::vector<StatusItemInfo> result;
    for (std::size_t i = 0; i < count; ++i) {
        StatusItemInfo item;
        item.id = static_cast<std::uint32_t>(i + 1);
        item.appName = "App " + std::to_string(i + 1);
        result.push_back(item);
    }
    return result;
}

PanelInputs inputs(bool accessibility, bool fullDiskAccess, bool loading, std::size_t count) {
    return PanelInputs{items(count), accessibility, fullDiskAccess, loading};
}

// Counts every outgoing call, so a test can say that a control did one thing and nothing else.
struct RecordedActions {
    int updateChecks = 0;
    int terminations = 0;
    std::vector<std::string> openedURLs;
    std::vector<StatusItemInfo> activated;

    PanelActions actions() {
        return PanelActions{
            [this] { ++updateChecks; },
            [this](const StatusItemInfo& item) { activated.push_back(item); },
            [this] { ++terminations; },
            [this](const std::string& url) { openedURLs.push_back(url); },
        };
    }
};

TEST(HiddenItemPanelModelTest, StateIsChosenByTheFirstRuleThatHolds) {
    struct Case {
        const char* what;
        PanelInputs in;
        PanelState expected;
    };
    const Case cases[] = {
        {"both permissions missing", inputs(false, false, false, 0), PanelState::accessibility},
        {"accessibility missing, loading", inputs(false, true, true, 0), PanelState::accessibility},
        {"accessibility revoked over a list", inputs(false, true, false, 5),
         PanelState::accessibility},
        {"full disk access missing over a list", inputs(true, false, false, 5),
         PanelState::fullDiskAccess},
        {"full disk access missing, loading", inputs(true, false, true, 0),
         PanelState::fullDiskAccess},
        {"loading with nothing yet", inputs(true, true, true, 0), PanelState::loading},
        {"loading over two items", inputs(true, true, true, 2), PanelState::list},
        {"idle with one item", inputs(true, true, false, 1), PanelState::list},
        {"idle with nothing", inputs(true, true, false, 0), PanelState::empty},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(HiddenItemPanelModel::stateFor(c.in), c.expected) << c.what;
        EXPECT_EQ(HiddenItemPanelModel::describe(c.in).state, c.expected) << c.what;
    }
}

TEST(HiddenItemPanelModelTest, AMissingPermissionHidesTheListButTheFooterKeepsItsCount) {
    const PanelContent content = HiddenItemPanelModel::describe(inputs(false, true, false, 5));
    EXPECT_EQ(content.state, PanelState::accessibility);
    EXPECT_TRUE(content.rows.empty());
    EXPECT_EQ(content.hiddenItemCount, 5);
    EXPECT_EQ(content.footerText, "5 Hidden Items");
}

TEST(HiddenItemPanelModelTest, EmptyStateShowsTheCountZero) {
    const PanelContent content = HiddenItemPanelModel::describe(inputs(true, true, false, 0));
    EXPECT_EQ(content.footerText, "0 Hidden Items");
    EXPECT_FALSE(content.prompt.has_value());
}

TEST(HiddenItemPanelModelTest, FooterPutsTheCountInPlaceOfThePlaceholder) {
    const std::pair<std::int64_t, const char*> cases[] = {
        {0, "0 Hidden Items"},
        {1, "1 Hidden Items"},
        {3, "3 Hidden Items"},
        {1234567890123, "1234567890123 Hidden Items"},
    };
    for (const auto& [count, expected] : cases) {
        EXPECT_EQ(HiddenItemPanelModel::footerText(count), expected);
    }
}

TEST(HiddenItemPanelModelTest, RowsScrollFromTheTenthItemOn) {
    const std::pair<std::size_t, bool> cases[] = {
        {0, false}, {1, false}, {9, false}, {10, true}, {11, true}, {500, true},
    };
    for (const auto& [count, scrolls] : cases) {
        EXPECT_EQ(HiddenItemPanelModel::rowsScroll(count), scrolls) << count << " items";
    }
    EXPECT_FALSE(HiddenItemPanelModel::describe(inputs(true, true, false, 9)).rowsScroll);
    EXPECT_TRUE(HiddenItemPanelModel::describe(inputs(true, true, false, 10)).rowsScroll);
}

TEST(HiddenItemPanelModelTest, RowsFollowTheListOrderAndKeepEveryItemEvenWithSharedIds) {
    PanelInputs in = inputs(true, true, true, 0);
    for (const std::uint32_t id : {812u, 3u, 3u, 7u}) {
        StatusItemInfo item;
        item.id = id;
        item.appName = "id " + std::to_string(id);
        in.hiddenItems.push_back(item);
    }
    const PanelContent content = HiddenItemPanelModel::describe(in);
    ASSERT_EQ(content.rows.size(), 4u);
    EXPECT_EQ(content.rows[0].id, 812u);
    EXPECT_EQ(content.rows[1].id, 3u);
    EXPECT_EQ(content.rows[2].id, 3u);
    EXPECT_EQ(content.rows[3].id, 7u);
    EXPECT_EQ(content.hiddenItemCount, 4);
}

TEST(HiddenItemPanelModelTest, EachPromptOpensItsOwnPrivacyAnchor) {
    const PanelContent accessibility =
        HiddenItemPanelModel::describe(inputs(false, false, false, 0));
    ASSERT_TRUE(accessibility.prompt.has_value());
    EXPECT_EQ(accessibility.prompt->title, "Accessibility Access Required");
    EXPECT_EQ(accessibility.prompt->symbolName, "lock.shield");
    EXPECT_EQ(accessibility.prompt->settingsURL,
              "x-apple.systempreferences:com.apple.preference.security?Privacy_Accessibility");

    const PanelContent fullDiskAccess =
        HiddenItemPanelModel::describe(inputs(true, false, false, 0));
    ASSERT_TRUE(fullDiskAccess.prompt.has_value());
    EXPECT_EQ(fullDiskAccess.prompt->title, "Full Disk Access Required");
    EXPECT_EQ(fullDiskAccess.prompt->symbolName, "externaldrive.badge.exclamationmark");
    EXPECT_EQ(fullDiskAccess.prompt->settingsURL,
              "x-apple.systempreferences:com.apple.preference.security?Privacy_AllFiles");
}

TEST(HiddenItemPanelModelTest, TextsUseTheEllipsisAndArrowCharacters) {
    // Three dots or "->" would look almost the same and be wrong.
    EXPECT_EQ(panel_text::kScanning, "Scanning menu bar items\xE2\x80\xA6");
    EXPECT_EQ(panel_text::kEmptyHint,
              "Hide menu bar icons in System Settings \xE2\x86\x92 Menu Bar \xE2\x86\x92 Allow in "
              "the Menu Bar");
}

TEST(HiddenItemPanelModelTest, StateNamesAreTheTranscriptNames) {
    const std::pair<PanelState, const char*> cases[] = {
        {PanelState::accessibility, "accessibility"},
        {PanelState::fullDiskAccess, "fullDiskAccess"},
        {PanelState::loading, "loading"},
        {PanelState::list, "list"},
        {PanelState::empty, "empty"},
    };
    for (const auto& [state, name] : cases) {
        EXPECT_EQ(panelStateName(state), name);
    }
}

TEST(HiddenItemPanelModelTest, EachControlMakesOnlyItsOwnCall) {
    RecordedActions updates;
    HiddenItemPanelModel(updates.actions()).checkForUpdates();
    EXPECT_EQ(updates.updateChecks, 1);
    EXPECT_EQ(updates.terminations, 0);
    EXPECT_TRUE(updates.openedURLs.empty());
    EXPECT_TRUE(updates.activated.empty());

    RecordedActions quit;
    HiddenItemPanelModel(quit.actions()).quit();
    EXPECT_EQ(quit.terminations, 1);
    EXPECT_EQ(quit.updateChecks, 0);
    EXPECT_TRUE(quit.openedURLs.empty());

    RecordedActions settings;
    HiddenItemPanelModel(settings.actions())
        .openSettings(HiddenItemPanelModel::fullDiskAccessPrompt());
    ASSERT_EQ(settings.openedURLs.size(), 1u);
    EXPECT_EQ(settings.openedURLs[0],
              "x-apple.systempreferences:com.apple.preference.security?Privacy_AllFiles");
    EXPECT_EQ(settings.updateChecks + settings.terminations, 0);
    EXPECT_TRUE(settings.activated.empty());
}

TEST(HiddenItemPanelModelTest, ActivatePassesTheWholeItemAsTheRowHoldsIt) {
    RecordedActions recorded;
    StatusItemInfo item;
    item.id = 812;
    item.windowID = 812;
    item.appName = "Alpha";
    item.bundleIdentifier = "com.example.alpha";
    item.icon = Image::symbol("app.dashed");
    HiddenItemPanelModel(recorded.actions()).activate(item);
    ASSERT_EQ(recorded.activated.size(), 1u);
    EXPECT_EQ(recorded.activated[0].id, 812u);
    EXPECT_EQ(recorded.activated[0].appName, "Alpha");
    EXPECT_EQ(recorded.activated[0].bundleIdentifier, "com.example.alpha");
    EXPECT_EQ(recorded.activated[0].icon, item.icon);
}

TEST(HiddenItemPanelModelTest, ControlsWithoutCallbacksDoNothing) {
    const HiddenItemPanelModel model{PanelActions{}};
    model.checkForUpdates();
    model.quit();
    model.openSettings(HiddenItemPanelModel::accessibilityPrompt());
    model.activate(StatusItemInfo{});
    SUCCEED();
}

TEST(HiddenItemPanelModelTest, AFooterButtonIsPrimaryOnlyWhileHovered) {
    EXPECT_EQ(HiddenItemPanelModel::footerButtonLevel(true), LabelLevel::primary);
    EXPECT_EQ(HiddenItemPanelModel::footerButtonLevel(false), LabelLevel::secondary);
}

}  // namespace
}  // namespace stowbar
