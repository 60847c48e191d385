#include "core/HiddenItemPanelModel.hpp"
#include "platform/PanelHost.hpp"
#include "platform/StatusItemInfo.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace stowbar {
namespace {

PanelInputs inputs(bool accessibility, bool fullDiskAccess, bool loading,
                   std::vector<std::uint32_t> ids = {}) {
    PanelInputs result{{}, accessibility, fullDiskAccess, loading};
    for (const std::uint32_t id : ids) {
        StatusItemInfo item;
        item.id = id;
        result.hiddenItems.push_back(item);
    }
    return result;
}

TEST(HiddenItemPanelModelTest, TheFirstRuleThatHoldsPicksTheStateAndTheFooterAlwaysCountsAll) {
    const std::vector<std::uint32_t> five{812, 3, 3, 7, 1};
    struct Case {
        const char* what;
        PanelInputs in;
        PanelState state;
    };
    const Case cases[] = {
        {"both permissions missing", inputs(false, false, false), PanelState::accessibility},
        {"accessibility missing, loading", inputs(false, true, true), PanelState::accessibility},
        {"accessibility revoked over a list", inputs(false, true, false, five),
         PanelState::accessibility},
        {"full disk access missing over a list", inputs(true, false, false, five),
         PanelState::fullDiskAccess},
        {"full disk access missing, loading", inputs(true, false, true),
         PanelState::fullDiskAccess},
        {"loading with nothing yet", inputs(true, true, true), PanelState::loading},
        {"loading over a list", inputs(true, true, true, five), PanelState::list},
        {"idle with one item", inputs(true, true, false, {9}), PanelState::list},
        {"idle with nothing", inputs(true, true, false), PanelState::empty},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const PanelContent content = HiddenItemPanelModel::describe(c.in);
        EXPECT_EQ(content.state, c.state);
        EXPECT_EQ(content.prompt.has_value(),
                  c.state == PanelState::accessibility || c.state == PanelState::fullDiskAccess);
        // The list keeps every item in its order, also those sharing an id; no other state
        // shows rows, but the footer counts every item in all of them.
        std::vector<std::uint32_t> rows;
        for (const StatusItemInfo& row : content.rows) {
            rows.push_back(row.id);
        }
        std::vector<std::uint32_t> listed;
        for (const StatusItemInfo& item : c.in.hiddenItems) {
            listed.push_back(item.id);
        }
        EXPECT_EQ(rows, c.state == PanelState::list ? listed : std::vector<std::uint32_t>{});
        EXPECT_EQ(content.footerText, std::to_string(listed.size()) + " Hidden Items");
    }
    // The count is never narrowed on its way into the text.
    EXPECT_EQ(HiddenItemPanelModel::footerText(1234567890123), "1234567890123 Hidden Items");
}

TEST(HiddenItemPanelModelTest, ControlsWithoutCallbacksDoNothing) {
    const HiddenItemPanelModel model{PanelActions{}};
    model.checkForUpdates();
    model.quit();
    model.openSettings(HiddenItemPanelModel::accessibilityPrompt());
    model.activate(StatusItemInfo{});
    SUCCEED();
}

}  // namespace
}  // namespace stowbar
