#include <QAccessible>
#include <QCoreApplication>

#include <gtest/gtest.h>

#include <vector>

#include "PanelTestItems.hpp"
#include "adapters/qt/HiddenItemPanel.hpp"
#include "adapters/qt/StatusItemRow.hpp"
#include "platform/PanelHost.hpp"

namespace stowbar::qt {
namespace {

std::vector<StatusItemRow*> rowWidgets(const HiddenItemPanel& panel) {
    std::vector<StatusItemRow*> rows;
    for (QWidget* child : panel.findChildren<QWidget*>()) {
        if (auto* row = dynamic_cast<StatusItemRow*>(child)) {
            rows.push_back(row);
        }
    }
    return rows;
}

TEST(HiddenItemPanelLongListTest, ALongListArrivesOverSeveralTurnsAndAListOfNewIdsReusesItsRows) {
    HiddenItemPanel panel(PanelActions{});
    panel.show();
    panel.setInputs(test::granted(test::pictureItems(150)));
    EXPECT_EQ(panel.rowCount(), 150u);
    EXPECT_LT(rowWidgets(panel).size(), 150u) << "the rest is made on later turns";
    for (int turn = 0; turn < 100 && rowWidgets(panel).size() < 150; ++turn) {
        QCoreApplication::processEvents();
    }
    ASSERT_EQ(rowWidgets(panel).size(), 150u);

    // The last row reads like any other, at its place among all of them.
    QAccessibleInterface* last = QAccessible::queryAccessibleInterface(panel.row(149));
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(last->text(QAccessible::Name).toStdString(), panel.row(149)->item().appName);
    EXPECT_EQ(last->text(QAccessible::Description), "Hidden menu bar item");
    EXPECT_EQ(last->parent()->indexOfChild(last), 149);
    EXPECT_EQ(last->parent()->childCount(), 150);

    // Every application relaunched: new ids, the same widgets, no highlight carried over.
    ASSERT_TRUE(panel.hoverRow(4));
    const std::vector<StatusItemRow*> before = rowWidgets(panel);
    std::vector<StatusItemInfo> relaunched = test::pictureItems(150);
    for (auto& record : relaunched) {
        record.id += 1000;
    }
    panel.setInputs(test::granted(relaunched));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(rowWidgets(panel), before);
    EXPECT_EQ(panel.row(149)->item().id, relaunched[149].id);
    EXPECT_FALSE(panel.row(4)->isHovered());

    // A row asked for before it was made is made then.
    panel.setInputs(test::granted({}));
    panel.setInputs(test::granted(test::pictureItems(40)));
    ASSERT_NE(panel.row(39), nullptr);
    EXPECT_EQ(panel.row(39)->item().id, test::pictureItems(40)[39].id);
}

}  // namespace
}  // namespace stowbar::qt
