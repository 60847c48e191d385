#include "core/HiddenItemPanelModel.hpp"
#include "platform/PanelHost.hpp"
#include "platform/StatusItemInfo.hpp"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "support/Golden.hpp"

namespace stowbar {
namespace {

// The inputs (Accessibility, Full Disk Access, loading, then the items' ids) and what the panel
// shows for them are in panel-model-states.txt.
TEST(HiddenItemPanelModelTest, TheFirstRuleThatHoldsPicksTheStateAndTheFooterAlwaysCountsAll) {
    test::expectGoldenTable("panel-model-states.txt", [](const std::string& line) {
        std::istringstream in(line);
        std::string flags[3];
        in >> flags[0] >> flags[1] >> flags[2];
        PanelInputs inputs{{}, flags[0] == "yes", flags[1] == "yes", flags[2] == "yes"};
        for (StatusItemInfo item; in >> item.id;) {
            inputs.hiddenItems.push_back(item);
        }
        const PanelContent content = HiddenItemPanelModel::describe(inputs);
        std::ostringstream shown;
        shown << panelStateName(content.state) << (content.prompt ? " with its prompt" : "")
              << "; rows:";
        for (const StatusItemInfo& row : content.rows) {
            shown << " " << row.id;
        }
        shown << "; " << content.footerText;
        return shown.str();
    });
    // The count is never narrowed on its way into the text.
    EXPECT_EQ(HiddenItemPanelModel::footerText(1234567890123), "1234567890123 Hidden Items");
}

// A platform without a way to open settings gives no callback for it: nothing may throw.
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
