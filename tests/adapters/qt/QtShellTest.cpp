#include "adapters/qt/QtShell.hpp"

#include <QApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTest>
#include <QWidget>
#include <QWindow>
#include <QtGlobal>

#include <gtest/gtest.h>

#include <cstddef>
#include <sstream>
#include <string>
#include <vector>

#include "adapters/qt/PanelWidgetHost.hpp"
#include "adapters/qt/PanelWidgets.hpp"  // IWYU pragma: keep (FooterButton converts to QWidget)
#include "platform/Geometry.hpp"
#include "platform/PanelHost.hpp"
#include "support/Golden.hpp"
#include "support/PanelTestItems.hpp"

namespace stowbar::qt {
namespace {

QRect screenArea() {
    return QGuiApplication::primaryScreen()->availableGeometry();
}

// A shell whose tray item sits at (300, 0), its popup configured at `size`, and, unless `rows`
// is negative, a panel listing that many items.
void prepare(QtShell& shell, Size size, int rows = -1) {
    shell.anchorOverride = QRect(300, 0, 24, 24);
    shell.configure(size, {});
    if (rows >= 0) {
        shell.setPanelActions(PanelActions{});
        shell.setPanelInputs(test::granted(test::pictureItems(static_cast<std::size_t>(rows))));
    }
}

// A left or right press at a global position outside the popup, as the popup's grab delivers it.
void pressOutside(QWidget& popup, QPoint global, Qt::MouseButton button) {
    const QPointF local = popup.mapFromGlobal(QPointF(global));
    QMouseEvent press(QEvent::MouseButtonPress, local, local, QPointF(global), button, button,
                      Qt::NoModifier);
    QApplication::sendEvent(&popup, &press);
}

// The anchors, sizes and screens, and the frame each popup takes, are in popup-placement.txt.
TEST(QtShell, PopupIsCentredBelowItsAnchorAndKeptOnTheScreen) {
    test::expectGoldenTable("popup-placement.txt", [](const std::string& line) {
        std::istringstream in(line);
        int n[10] = {};
        for (int& value : n) {
            in >> value;
        }
        const QRect frame = QtShell::popupFrame(QRect(n[0], n[1], n[2], n[3]), QSize(n[4], n[5]),
                                                QRect(n[6], n[7], n[8], n[9]));
        return std::to_string(frame.x()) + "," + std::to_string(frame.y()) + " " +
               std::to_string(frame.width()) + "x" + std::to_string(frame.height());
    });
}

TEST(QtShell, ShownPopupHangsBelowTheAnchorAtThePanelsNaturalSize) {
    QtShell shell;
    prepare(shell, Size{300, 200}, 3);

    // The same panel measured on its own, away from any popup, handed its inputs before it
    // was built.
    PanelWidgetHost alone;
    alone.setPanelInputs(test::granted(test::pictureItems(3)));
    alone.setPanelActions(PanelActions{});
    const auto natural = alone.preferredSize();
    ASSERT_TRUE(natural.has_value());

    EXPECT_EQ(shell.preferredContentSize(), natural);

    shell.setContentSize(*natural);
    shell.show();
    ASSERT_TRUE(shell.isShown());
    const QSize size(static_cast<int>(natural->width), static_cast<int>(natural->height));
    EXPECT_EQ(shell.popupWindow()->geometry(),
              QtShell::popupFrame(QRect(300, 0, 24, 24), size, screenArea()));
    EXPECT_EQ(shell.panel()->geometry(), QRect(QPoint(0, 0), size)) << "the panel fills the popup";

    shell.close();
}

TEST(QtShell, TheOneTrayItemWaitsForATrayAndOnlyAPlainClickRunsItsAction) {
    QtShell shell;
    bool tray = false;
    int asked = 0;
    shell.trayAvailable = [&] {
        ++asked;
        return tray;
    };
    int clicks = 0;
    // Autostart ran before the panel: no tray yet, but the item is made and waits for one.
    ASSERT_TRUE(shell.addStatusItem("chevron.down.2", "Stowbar", [&clicks] { ++clicks; }));
    EXPECT_FALSE(shell.addStatusItem("chevron.down.2", "Stowbar", [] {}))
        << "there is one status item";
    QSystemTrayIcon* icon = shell.trayIcon();
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(icon->toolTip(), QStringLiteral("Stowbar"));
    EXPECT_FALSE(icon->icon().isNull());
    EXPECT_FALSE(icon->isVisible());
    EXPECT_TRUE(shell.waitingForTray());
    // The poll's look, run here by hand.
    shell.lookAgain();
    EXPECT_FALSE(icon->isVisible());
    tray = true;
    shell.lookAgain();
    EXPECT_TRUE(icon->isVisible());
    EXPECT_FALSE(shell.waitingForTray()) << "once shown, Qt docks it again by itself";
    const int askedOnceShown = asked;
    shell.lookAgain();
    EXPECT_EQ(asked, askedOnceShown);

    for (const auto reason :
         {QSystemTrayIcon::Context, QSystemTrayIcon::MiddleClick, QSystemTrayIcon::DoubleClick}) {
        emit icon->activated(reason);
    }
    EXPECT_EQ(clicks, 0);
    emit icon->activated(QSystemTrayIcon::Trigger);
    EXPECT_EQ(clicks, 1) << "the item works as one made with the tray there";
}

TEST(QtShell, WithoutAPanelThePopupTakesItsConfiguredSizeAndWithoutTranslucencyItsShape) {
    // A desktop without a compositing manager draws a translucent window's clear corners
    // black; the popup then takes the rounded shape as its mask instead. A compositor may stop
    // or start between two showings of the same popup.
    QtShell shell;
    bool translucent = true;
    shell.translucencyAvailable = [&translucent] {
        return translucent;
    };
    prepare(shell, Size{200, 120});
    for (const bool compositing : {true, false, true}) {
        SCOPED_TRACE(compositing);
        translucent = compositing;
        shell.show();
        QWidget* popup = shell.popupWindow();
        EXPECT_EQ(popup->size(), QSize(200, 120));
        EXPECT_EQ(popup->testAttribute(Qt::WA_TranslucentBackground), translucent);
        const QRegion mask = popup->mask();
        if (translucent) {
            EXPECT_TRUE(mask.isEmpty());
        } else {
            EXPECT_FALSE(mask.contains(QPoint(0, 0)));
            EXPECT_FALSE(mask.contains(QPoint(199, 119)));
            EXPECT_TRUE(mask.contains(QPoint(100, 0)));
            EXPECT_TRUE(mask.contains(QPoint(100, 60)));
            EXPECT_TRUE(mask.contains(QPoint(0, 60)));
        }
        EXPECT_EQ(popup->windowHandle()->requestedFormat().alphaBufferSize() > 0, translucent)
            << "the system window is made with the format the popup needs now";
        shell.close();
    }
}

TEST(QtShell, EscapeClosesThePopupWhereverTheKeyboardFocusIs) {
    QtShell shell;
    prepare(shell, Size{200, 200}, 2);
    for (QWidget* focus : std::vector<QWidget*>{shell.panel()->quitButton(), shell.panel()}) {
        shell.show();
        QApplication::processEvents();
        focus->setFocus(Qt::TabFocusReason);
        QTest::keyClick(focus, Qt::Key_Escape);
        EXPECT_FALSE(shell.isShown());
    }
}

// That monitors hear left presses only is checked for every EventMonitor by its conformance
// suite; what only this one does is close the popup on any press and queue what it reports.
TEST(QtShell, APressOutsideThePopupClosesItAndAMonitorRemovedBeforeTheNextTurnHearsNothing) {
    QtShell shell;
    prepare(shell, Size{300, 200});
    int heard = 0;
    const auto token = shell.addGlobalLeftMouseDownMonitor([&heard] { ++heard; });
    ASSERT_TRUE(token.has_value());
    shell.show();
    QApplication::processEvents();
    const QPoint outside = shell.popupWindow()->geometry().bottomRight() + QPoint(50, 50);
    pressOutside(*shell.popupWindow(), outside, Qt::LeftButton);
    EXPECT_FALSE(shell.isShown());
    shell.removeMonitor(*token);
    QApplication::processEvents();
    EXPECT_EQ(heard, 0);
}

}  // namespace
}  // namespace stowbar::qt
