#include "adapters/qt/HiddenItemPanel.hpp"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QScrollArea>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "PanelTestItems.hpp"
#include "adapters/qt/PanelStyle.hpp"
#include "adapters/qt/PanelWidgets.hpp"
#include "adapters/qt/StatusItemRow.hpp"

namespace stowbar::qt {
namespace {

using test::granted;
using test::item;
using test::pictureItems;

// A panel on screen (the offscreen one), with every outgoing call recorded.
struct PanelUnderTest {
    int updateChecks = 0;
    int terminations = 0;
    std::vector<std::string> openedURLs;
    std::vector<StatusItemInfo> activated;
    std::function<void(const StatusItemInfo&)> alsoOnActivate;
    std::unique_ptr<HiddenItemPanel> panel;

    explicit PanelUnderTest(PanelInputs inputs) {
        panel = std::make_unique<HiddenItemPanel>(PanelActions{
            [this] { ++updateChecks; },
            [this](const StatusItemInfo& i) {
                activated.push_back(i);
                if (alsoOnActivate) {
                    alsoOnActivate(i);
                }
            },
            [this] { ++terminations; },
            [this](const std::string& url) { openedURLs.push_back(url); },
        });
        panel->setInputs(std::move(inputs));
        panel->show();
        QCoreApplication::processEvents();
    }

    int callsOtherThanActivation() const {
        return updateChecks + terminations + static_cast<int>(openedURLs.size());
    }
    HiddenItemPanel* operator->() const { return panel.get(); }
};

PanelInputs withoutAccessibility(std::size_t count) {
    PanelInputs in = granted(pictureItems(count));
    in.accessibilityGranted = false;
    return in;
}

PanelInputs withoutFullDiskAccess(std::size_t count) {
    PanelInputs in = granted(pictureItems(count));
    in.fullDiskAccessGranted = false;
    return in;
}

int rowHeight() {
    return StatusItemRow(StatusItemInfo{}, nullptr).sizeHint().height();
}

TEST(HiddenItemPanelTest, PanelIsTwoHundredPointsWideInEveryStateAndAsHighAsItsContent) {
    struct Case {
        const char* what;
        PanelInputs in;
        PanelState state;
    };
    const Case cases[] = {
        {"accessibility", withoutAccessibility(0), PanelState::accessibility},
        {"full disk access", withoutFullDiskAccess(0), PanelState::fullDiskAccess},
        {"loading", granted({}, true), PanelState::loading},
        {"list of three", granted(pictureItems(3)), PanelState::list},
        {"list of eleven", granted(pictureItems(11)), PanelState::list},
        {"empty", granted({}), PanelState::empty},
        {"a very long name", granted({item(1, std::string(300, 'W'))}), PanelState::list},
    };
    for (const Case& c : cases) {
        PanelUnderTest subject(c.in);
        EXPECT_EQ(subject->state(), c.state) << c.what;
        EXPECT_EQ(subject->width(), 200) << c.what;
        EXPECT_EQ(subject->sizeHint(), subject->size()) << c.what;
        EXPECT_GT(subject->height(), 60) << c.what;
    }
    PanelUnderTest loading(granted({}, true));
    PanelUnderTest prompt(withoutFullDiskAccess(0));
    EXPECT_NE(loading->height(), prompt->height());
}

TEST(HiddenItemPanelTest, NineItemsStackWithoutAScrollViewAndTenScrollInExactly440Points) {
    PanelUnderTest nine(granted(pictureItems(9)));
    EXPECT_EQ(nine->scrollArea(), nullptr);
    EXPECT_EQ(nine->rowCount(), 9u);
    // Top space, rows, divider, space, footer, bottom space: nothing stretches.
    const int footer = nine->quitButton()->height();
    EXPECT_EQ(nine->height(), 10 + 9 * rowHeight() + 1 + 8 + footer + 10);

    PanelUnderTest ten(granted(pictureItems(10)));
    ASSERT_NE(ten->scrollArea(), nullptr);
    EXPECT_EQ(ten->scrollArea()->height(), 440);
    EXPECT_EQ(ten->height(), 10 + 440 + 1 + 8 + footer + 10);
    // The scroll indicator floats over the rows, which keep the panel's full width.
    EXPECT_EQ(ten->row(0)->width(), 200);

    PanelUnderTest forty(granted(pictureItems(40)));
    EXPECT_EQ(forty->height(), ten->height());
    EXPECT_EQ(forty->rowCount(), 40u);
}

TEST(HiddenItemPanelTest, TheFooterCountNeverClipsOrOverlapsTheButtonsHoweverLarge) {
    struct Case {
        std::size_t count;
        bool wholeText;
    };
    // A short count shows whole; a longer one may end in an ellipsis, but is never cut off
    // mid-word by the buttons or pushes them out of the panel.
    const Case cases[] = {{5, true}, {99, false}, {100, false}, {1000, false}, {100000, false}};
    for (const Case& c : cases) {
        PanelInputs in;
        in.hiddenItems.resize(c.count);
        PanelUnderTest subject(in);
        const QLabel* count = subject->countLabel();
        const QString whole = QString::number(c.count) + " Hidden Items";
        const QString shown = count->text();
        if (c.wholeText) {
            EXPECT_EQ(shown, whole) << c.count;
        } else {
            EXPECT_TRUE(shown == whole || shown.endsWith(QChar(0x2026))) << c.count;
        }
        EXPECT_LE(count->fontMetrics().horizontalAdvance(shown), count->width()) << c.count;
        const QRect updates = subject->updatesButton()->geometry();
        const QRect quit = subject->quitButton()->geometry();
        EXPECT_LT(count->geometry().right(), updates.left()) << c.count;
        EXPECT_LT(updates.right(), quit.left()) << c.count;
        EXPECT_LE(quit.right(), 200 - 12) << c.count;
        EXPECT_GE(updates.width(), subject->updatesButton()->sizeHint().width()) << c.count;
        EXPECT_GE(quit.width(), subject->quitButton()->sizeHint().width()) << c.count;
    }
}

TEST(HiddenItemPanelTest, APermissionPromptHidesTheListWhileTheFooterKeepsTheCount) {
    PanelUnderTest subject(withoutAccessibility(5));
    EXPECT_EQ(subject->state(), PanelState::accessibility);
    EXPECT_EQ(subject->rowCount(), 0u);
    EXPECT_EQ(subject->countLabel()->text(), "5 Hidden Items");
    EXPECT_TRUE(subject->findChild<QLabel*>() != nullptr);
    bool sawTitle = false;
    for (const QLabel* label : subject->findChildren<QLabel*>()) {
        sawTitle = sawTitle || label->text() == "Accessibility Access Required";
        EXPECT_NE(label->text(), "Full Disk Access Required");
    }
    EXPECT_TRUE(sawTitle);
}

TEST(HiddenItemPanelTest, HoveringQuitTintsItsLabelAndLeavesUpdatesAlone) {
    PanelUnderTest subject(granted(pictureItems(2)));
    const QColor primary = colourFor(Colour::primary, subject->palette());
    const QColor secondary = colourFor(Colour::secondary, subject->palette());
    EXPECT_EQ(subject->quitButton()->labelColour(), secondary);

    subject->hoverQuit();
    EXPECT_TRUE(subject->isQuitHovered());
    EXPECT_EQ(subject->quitButton()->labelColour(), primary);
    EXPECT_EQ(subject->updatesButton()->labelColour(), secondary);

    subject->hoverUpdates();
    EXPECT_FALSE(subject->isQuitHovered());
    EXPECT_EQ(subject->quitButton()->labelColour(), secondary);
    EXPECT_EQ(subject->updatesButton()->labelColour(), primary);

    subject->clearHover();
    EXPECT_EQ(subject->updatesButton()->labelColour(), secondary);
}

TEST(HiddenItemPanelTest, ThePointerMovingFromQuitToARowMovesTheTintAndTheHighlight) {
    PanelUnderTest subject(granted(pictureItems(2)));
    FooterButton* quit = subject->quitButton();
    QTest::mouseMove(subject.panel.get(), quit->geometry().center() + quit->parentWidget()->pos());
    QCoreApplication::processEvents();
    EXPECT_TRUE(subject->isQuitHovered());
    EXPECT_FALSE(subject->isUpdateHovered());
    StatusItemRow* second = subject->row(1);
    QTest::mouseMove(subject.panel.get(), second->geometry().center());
    QCoreApplication::processEvents();
    EXPECT_FALSE(subject->isQuitHovered());
    EXPECT_TRUE(second->isHovered());
    EXPECT_FALSE(subject->row(0)->isHovered());
}

TEST(HiddenItemPanelTest, AClickRightOfARowsNamePressesThatRowsItemOnce) {
    PanelUnderTest subject(granted(pictureItems(3)));
    StatusItemRow* second = subject->row(1);
    const QPoint rightOfName(second->nameRect().right() + 20, second->height() / 2);
    ASSERT_LT(rightOfName.x(), second->width());
    QTest::mouseClick(second, Qt::LeftButton, {}, rightOfName);
    ASSERT_EQ(subject.activated.size(), 1u);
    EXPECT_EQ(subject.activated[0].id, 802u);
    EXPECT_EQ(subject.activated[0].appName, "Weather");
    EXPECT_EQ(subject.callsOtherThanActivation(), 0);

    EXPECT_TRUE(subject->clickRow(2));
    EXPECT_FALSE(subject->clickRow(3));
    ASSERT_EQ(subject.activated.size(), 2u);
    EXPECT_EQ(subject.activated[1].id, 803u);
}

TEST(HiddenItemPanelTest, OpenSettingsOpensTheFullDiskAccessAnchorAndChangesNothingElse) {
    PanelUnderTest subject(withoutFullDiskAccess(5));
    const QSize before = subject->size();
    QAbstractButton* button = nullptr;
    for (QAbstractButton* candidate : subject->findChildren<QAbstractButton*>()) {
        if (candidate->text() == "Open Settings") {
            button = candidate;
        }
    }
    ASSERT_NE(button, nullptr);
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_TRUE(subject->clickButton("Open Settings"));
    QCoreApplication::processEvents();

    const std::string expected =
        "x-apple.systempreferences:com.apple.preference.security?Privacy_AllFiles";
    EXPECT_EQ(subject.openedURLs, (std::vector<std::string>{expected, expected}));
    EXPECT_EQ(subject.updateChecks + subject.terminations, 0);
    EXPECT_TRUE(subject.activated.empty());
    EXPECT_EQ(subject->state(), PanelState::fullDiskAccess);
    EXPECT_EQ(subject->size(), before);
    EXPECT_EQ(subject->countLabel()->text(), "5 Hidden Items");
}

TEST(HiddenItemPanelTest, UpdatesChecksOnceAndQuitTerminates) {
    PanelUnderTest subject(granted({}));
    QTest::mouseClick(subject->updatesButton(), Qt::LeftButton);
    EXPECT_EQ(subject.updateChecks, 1);
    EXPECT_EQ(subject.terminations, 0);
    EXPECT_TRUE(subject->clickButton("Quit"));
    EXPECT_EQ(subject.terminations, 1);
    EXPECT_EQ(subject.updateChecks, 1);
    EXPECT_TRUE(subject.openedURLs.empty());
}

// The widget that holds the keyboard focus after each of `presses` Tab presses.
std::vector<QWidget*> tabThrough(HiddenItemPanel& panel, int presses) {
    panel.activateWindow();
    QApplication::setActiveWindow(&panel);
    panel.setFocus(Qt::TabFocusReason);
    std::vector<QWidget*> reached;
    for (int press = 0; press < presses; ++press) {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : &panel;
        QTest::keyClick(target, Qt::Key_Tab);
        reached.push_back(QApplication::focusWidget());
    }
    return reached;
}

bool contains(const std::vector<QWidget*>& widgets, const QWidget* wanted) {
    return std::find(widgets.begin(), widgets.end(), wanted) != widgets.end();
}

TEST(HiddenItemPanelTest, TheKeyboardReachesEveryButtonAndAFocusedButtonShowsItsFocus) {
    PanelUnderTest prompt(withoutFullDiskAccess(2));
    QAbstractButton* openSettings = nullptr;
    for (QAbstractButton* candidate : prompt->findChildren<QAbstractButton*>()) {
        if (candidate->text() == "Open Settings") {
            openSettings = candidate;
        }
    }
    ASSERT_NE(openSettings, nullptr);
    const auto reached = tabThrough(*prompt.panel, 4);
    for (QWidget* button :
         std::vector<QWidget*>{openSettings, prompt->updatesButton(), prompt->quitButton()}) {
        EXPECT_TRUE(contains(reached, button)) << button->objectName().toStdString();
    }

    // Each button drawn with and without the focus differs, by a ring in the desktop's focus
    // colour. Opening focuses "Open Settings"; Tab moves on to "Updates", then "Quit".
    const std::vector<QAbstractButton*> buttons{openSettings, prompt->updatesButton(),
                                                prompt->quitButton()};
    std::vector<std::vector<QImage>> drawn(buttons.size());
    prompt->popoverDidOpen();
    for (std::size_t step = 0; step < buttons.size(); ++step) {
        for (std::size_t index = 0; index < buttons.size(); ++index) {
            drawn[index].push_back(buttons[index]->grab().toImage());
        }
        EXPECT_TRUE(buttons[step]->hasFocus()) << step;
        prompt->pressKey(PanelKey::tab);
    }
    for (std::size_t index = 0; index < buttons.size(); ++index) {
        const QImage& focused = drawn[index][index];
        const QImage& unfocused = drawn[index][(index + 1) % buttons.size()];
        const std::string label = buttons[index]->text().toStdString();
        EXPECT_NE(focused, unfocused) << label;
        const QColor ring = buttons[index]->palette().color(QPalette::Active, QPalette::Highlight);
        bool sawRing = false;
        for (int x = 0; x < focused.width() && !sawRing; ++x) {
            const QColor pixel = focused.pixelColor(x, focused.height() / 2);
            sawRing = std::abs(pixel.hue() - ring.hue()) < 12 && pixel.saturation() > 60;
        }
        EXPECT_TRUE(sawRing) << label;
    }
}

TEST(HiddenItemPanelTest, AControlThePlatformCannotServeIsNotOffered) {
    // Without an updater and without a way to open settings, as on a desktop that has neither.
    PanelActions absent{nullptr, nullptr, [] {}, nullptr};
    absent.offersUpdates = false;
    HiddenItemPanel panel(absent);
    panel.setInputs(withoutAccessibility(2));
    panel.show();
    QCoreApplication::processEvents();
    EXPECT_FALSE(panel.updatesButton()->isVisible());
    EXPECT_TRUE(panel.quitButton()->isVisible());
    EXPECT_FALSE(panel.clickButton("Updates"));
    EXPECT_FALSE(panel.clickButton("Open Settings"));
    for (const QAbstractButton* button : panel.findChildren<QAbstractButton*>()) {
        EXPECT_FALSE(button->isVisible() && button->text() == "Open Settings");
    }
    const auto reached = tabThrough(panel, 3);
    EXPECT_FALSE(contains(reached, panel.updatesButton()));
    EXPECT_TRUE(contains(reached, panel.quitButton()));

    PanelUnderTest offered(withoutAccessibility(2));
    EXPECT_TRUE(offered->updatesButton()->isVisible());
    EXPECT_TRUE(offered->clickButton("Open Settings"));
}

TEST(HiddenItemPanelTest, RealKeysFilterMoveOneHighlightAndPressAsAClickWould) {
    PanelUnderTest subject(granted(pictureItems(3)));
    int closeRequests = 0;
    subject->onCloseRequest = [&closeRequests] {
        ++closeRequests;
    };
    subject->activateWindow();
    QApplication::setActiveWindow(subject.panel.get());
    subject->popoverDidOpen();
    EXPECT_TRUE(subject->row(0)->isHighlighted()) << "the first row has the focus on opening";
    EXPECT_FALSE(subject->filterField()->isVisible());

    // The pointer over a row takes the one highlight; a key takes it back.
    subject->hoverRow(2);
    EXPECT_FALSE(subject->row(0)->isHighlighted());
    EXPECT_TRUE(subject->row(2)->isHighlighted());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
    EXPECT_TRUE(subject->row(1)->isHighlighted());
    EXPECT_FALSE(subject->row(2)->isHighlighted());
    EXPECT_EQ(QApplication::focusWidget(), subject->row(1));

    // Typing shows the filter field and narrows the list; Return presses the match.
    const std::string wanted = subject->row(1)->item().appName;
    QTest::keyClicks(QApplication::focusWidget(), QString::fromStdString(wanted.substr(1, 3)));
    EXPECT_TRUE(subject->filterField()->isVisible());
    EXPECT_EQ(subject->filterField()->text().toStdString(), wanted.substr(1, 3));
    ASSERT_EQ(subject->rowCount(), 1u);
    EXPECT_EQ(subject->countLabel()->fullText(), "1 of 3 Hidden Items");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    ASSERT_EQ(subject.activated.size(), 1u);
    EXPECT_EQ(subject.activated[0].appName, wanted);

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_EQ(subject->rowCount(), 3u) << "the first Escape clears the filter";
    EXPECT_FALSE(subject->filterField()->isVisible());
    EXPECT_EQ(closeRequests, 0);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_EQ(closeRequests, 1);
    EXPECT_EQ(subject.callsOtherThanActivation(), 0);
}

TEST(HiddenItemPanelTest, AScreenReaderFindsNamedRowsAndSymbolsAndHearsTheListArrive) {
    PanelUnderTest subject(granted({}, true));
    // The panel's name says what it shows; a change of name is what a screen reader announces.
    EXPECT_EQ(subject->accessibleName().toStdString(), panel_text::kScanning);

    // Loading: the indicator is named.
    bool sawScanning = false;
    for (QWidget* child : subject->findChildren<QWidget*>()) {
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(child);
        sawScanning = sawScanning || (face != nullptr && face->role() == QAccessible::Animation &&
                                      face->text(QAccessible::Name) == "Scanning");
    }
    EXPECT_TRUE(sawScanning);

    // The list arrives: the change is announced and each row reads as a button.
    subject->setInputs(granted(pictureItems(3)));
    EXPECT_EQ(subject->accessibleName(), "3 Hidden Items");
    for (std::size_t index = 0; index < 3; ++index) {
        QAccessibleInterface* row = QAccessible::queryAccessibleInterface(subject->row(index));
        ASSERT_NE(row, nullptr);
        EXPECT_EQ(row->role(), QAccessible::Button);
        EXPECT_EQ(row->text(QAccessible::Name).toStdString(), subject->row(index)->item().appName);
        EXPECT_EQ(row->text(QAccessible::Description), "Hidden menu bar item");
        EXPECT_EQ(row->parent()->indexOfChild(row), static_cast<int>(index));
        EXPECT_EQ(row->parent()->childCount(), 3);
        EXPECT_TRUE(row->state().focusable);
    }

    // The focused row is the toolkit's focus too; its press action is a click.
    subject->activateWindow();
    QApplication::setActiveWindow(subject.panel.get());
    subject->popoverDidOpen();
    subject->pressKey(PanelKey::down);
    QAccessibleInterface* second = QAccessible::queryAccessibleInterface(subject->row(1));
    EXPECT_TRUE(second->state().focused);
    ASSERT_NE(second->actionInterface(), nullptr);
    second->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    ASSERT_EQ(subject.activated.size(), 1u);
    EXPECT_EQ(subject.activated[0].id, subject->row(1)->item().id);

    // Symbols are named for what they stand for.
    const std::pair<PanelInputs, const char*> symbols[] = {
        {withoutAccessibility(0), "Accessibility"},
        {withoutFullDiskAccess(0), "Full Disk Access"},
        {granted({}), "No hidden items"},
    };
    for (const auto& [in, name] : symbols) {
        PanelUnderTest shown(in);
        bool found = false;
        for (QWidget* child : shown->findChildren<QWidget*>()) {
            if (dynamic_cast<SymbolView*>(child) == nullptr) {
                continue;
            }
            QAccessibleInterface* face = QAccessible::queryAccessibleInterface(child);
            found = found || (face != nullptr && face->role() == QAccessible::Graphic &&
                              face->text(QAccessible::Name) == name);
        }
        EXPECT_TRUE(found) << name;
    }
}

TEST(HiddenItemPanelTest, ClickButtonRefusesButtonsThatAreNotShown) {
    PanelUnderTest subject(granted(pictureItems(2)));
    EXPECT_FALSE(subject->clickButton("Open Settings"));
    EXPECT_FALSE(subject->clickButton("quit"));
    EXPECT_FALSE(subject->hoverRow(2));
    EXPECT_EQ(subject.callsOtherThanActivation(), 0);
}

TEST(HiddenItemPanelTest, ARowKeepsItsHighlightAcrossRedrawsWhileItsItemKeepsItsId) {
    PanelUnderTest subject(granted(pictureItems(9)));
    ASSERT_TRUE(subject->hoverRow(2));
    StatusItemRow* hovered = subject->row(2);

    // New pictures for the same items, then the list growing into a scroll view.
    std::vector<StatusItemInfo> recaptured = pictureItems(9);
    recaptured[2].icon = test::solidPicture(30, 22, Qt::green);
    subject->setInputs(granted(recaptured));
    EXPECT_EQ(subject->row(2), hovered);
    EXPECT_TRUE(subject->row(2)->isHovered());
    EXPECT_EQ(subject->row(2)->item().icon, recaptured[2].icon);

    subject->setInputs(granted(pictureItems(12)));
    ASSERT_NE(subject->scrollArea(), nullptr);
    EXPECT_TRUE(subject->row(2)->isHovered());

    // Another item in that place is another row.
    std::vector<StatusItemInfo> replaced = pictureItems(12);
    replaced[2].id = 9999;
    subject->setInputs(granted(replaced));
    EXPECT_FALSE(subject->row(2)->isHovered());
}

// Counts the paint events each watched widget receives.
struct PaintCounter : QObject {
    std::map<const QObject*, int> paints;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            ++paints[watched];
        }
        return false;
    }
    void watch(QWidget* widget) { widget->installEventFilter(this); }
    int total() const {
        int sum = 0;
        for (const auto& [widget, count] : paints) {
            sum += count;
        }
        return sum;
    }
};

TEST(HiddenItemPanelTest, ANewListChangesOnlyTheRowsThatDiffer) {
    std::vector<StatusItemInfo> items = pictureItems(8);
    PanelUnderTest subject(granted(items));
    std::vector<StatusItemRow*> before;
    PaintCounter counter;
    for (std::size_t index = 0; index < subject->rowCount(); ++index) {
        before.push_back(subject->row(index));
        counter.watch(subject->row(index));
    }
    QCoreApplication::processEvents();
    counter.paints.clear();

    // A captured picture replaces one row's icon: that row alone is drawn again.
    items[5].icon = test::solidPicture(30, 22, Qt::green);
    subject->setInputs(granted(items));
    QCoreApplication::processEvents();
    EXPECT_EQ(counter.paints[before[5]], 1);
    EXPECT_EQ(counter.total(), 1);

    // The same list again draws nothing at all.
    counter.paints.clear();
    subject->setInputs(granted(items));
    QCoreApplication::processEvents();
    EXPECT_EQ(counter.total(), 0);

    // One item more in the middle: one new row, every other row the same widget as before.
    items.insert(items.begin() + 3, item(4242, "Inserted"));
    subject->setInputs(granted(items));
    QCoreApplication::processEvents();
    ASSERT_EQ(subject->rowCount(), 9u);
    for (std::size_t index = 0; index < 9; ++index) {
        if (index != 3) {
            EXPECT_EQ(subject->row(index), before[index < 3 ? index : index - 1]) << index;
        }
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    // Rows have no meta-object of their own, so they are told apart from other widgets here.
    std::size_t rowWidgets = 0;
    for (QWidget* child : subject->findChildren<QWidget*>()) {
        rowWidgets += dynamic_cast<StatusItemRow*>(child) != nullptr ? 1 : 0;
    }
    EXPECT_EQ(rowWidgets, 9u);
}

TEST(HiddenItemPanelTest, AHiddenPanelIsNeitherLaidOutNorDrawnUntilItIsShown) {
    QWidget popup;
    auto* panel = new HiddenItemPanel(PanelActions{}, &popup);
    PaintCounter counter;
    counter.watch(panel);
    popup.show();
    QCoreApplication::processEvents();
    popup.hide();
    const QSize hiddenSize = panel->size();
    counter.paints.clear();

    for (std::size_t count = 1; count <= 12; ++count) {
        panel->setInputs(granted(pictureItems(count)));
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(panel->size(), hiddenSize) << "no layout while hidden";
    EXPECT_EQ(counter.total(), 0);

    // Asked, it still knows its natural size; shown, it takes it.
    PanelUnderTest shown(granted(pictureItems(12)));
    EXPECT_EQ(panel->sizeHint(), shown->size());
    popup.show();
    QCoreApplication::processEvents();
    EXPECT_EQ(panel->size(), shown->size());
    EXPECT_EQ(panel->rowCount(), 12u);
}

TEST(HiddenItemPanelTest, AnActivationThatReplacesTheListDoesNotPullTheRowFromUnderTheClick) {
    PanelUnderTest subject(granted(pictureItems(3)));
    subject.alsoOnActivate = [&subject](const StatusItemInfo&) {
        subject->setInputs(granted({}));
    };
    QTest::mouseClick(subject->row(0), Qt::LeftButton, {}, QPoint(150, 10));
    QCoreApplication::processEvents();
    EXPECT_EQ(subject.activated.size(), 1u);
    EXPECT_EQ(subject->state(), PanelState::empty);
    EXPECT_EQ(subject->rowCount(), 0u);
}

TEST(HiddenItemPanelTest, AScheduledUpdateReadsItsSourceOnALaterTurnOfTheLoopOnce) {
    PanelUnderTest subject(granted({}, true));
    PanelInputs published = granted({}, true);
    int reads = 0;
    subject->setInputsSource([&] {
        ++reads;
        return published;
    });
    // As a controller does: it announces, then assigns.
    subject->scheduleUpdate();
    published.hiddenItems = pictureItems(2);
    subject->scheduleUpdate();
    published.isLoading = false;
    EXPECT_EQ(subject->state(), PanelState::loading);
    EXPECT_EQ(reads, 0);

    QCoreApplication::processEvents();
    EXPECT_EQ(reads, 1);
    EXPECT_EQ(subject->state(), PanelState::list);
    EXPECT_EQ(subject->rowCount(), 2u);
}

// Pictures of every state at two pixels per point, for people to look at.
TEST(HiddenItemPanelTest, SnapshotsOfEveryStateAreWritten) {
    std::vector<StatusItemInfo> mixed = pictureItems(3);
    mixed.push_back(item(900, "Item Without A Picture"));
    mixed.push_back(
        item(901, "Menu Bar Extra With A Name Far Too Long To Fit", test::glyphPicture(1)));

    struct Shot {
        const char* file;
        PanelInputs in;
        int hoveredRow;
    };
    const Shot shots[] = {
        {"accessibility.png", withoutAccessibility(0), -1},
        {"fullDiskAccess.png", withoutFullDiskAccess(5), -1},
        {"loading.png", granted({}, true), -1},
        {"list.png", granted(mixed), 1},
        {"empty.png", granted({}), -1},
        {"list-11.png", granted(pictureItems(11)), 4},
        {"list-20.png", granted(pictureItems(20)), -1},
    };
    ASSERT_TRUE(QDir().mkpath(STOWBAR_SNAPSHOT_DIR));
    for (const Shot& shot : shots) {
        PanelUnderTest subject(shot.in);
        if (shot.hoveredRow >= 0) {
            subject->hoverRow(static_cast<std::size_t>(shot.hoveredRow));
        } else {
            subject->hoverQuit();
        }
        const QImage image = subject->renderImage(2);
        EXPECT_EQ(image.size(), subject->size() * 2) << shot.file;
        const std::string path = std::string(STOWBAR_SNAPSHOT_DIR) + "/" + shot.file;
        EXPECT_TRUE(subject->renderSnapshot(path)) << path;
        // The same inputs draw the same picture, spinner included.
        EXPECT_EQ(subject->renderImage(2), image) << shot.file;
    }
}

TEST(HiddenItemPanelTest, ABuildWithoutAnUpdaterShowsNoUpdatesButton) {
    for (const bool offered : {true, false}) {
        int checks = 0;
        PanelActions actions;
        actions.onCheckForUpdates = [&checks] {
            ++checks;
        };
        actions.offersUpdates = offered;
        HiddenItemPanel panel(std::move(actions));
        EXPECT_EQ(panel.clickButton(panel_text::kUpdates), offered);
        EXPECT_EQ(checks, offered ? 1 : 0);
        EXPECT_TRUE(panel.clickButton(panel_text::kQuit));
    }
}

TEST(HiddenItemPanelTest, APanelThatWasNeverShownStillDrawsItsContent) {
    HiddenItemPanel panel(PanelActions{});
    panel.setInputs(granted(pictureItems(3)));
    const QImage image = panel.renderImage(1);
    // The first row's picture sits 10 points down, 18 in from the left.
    const QRect picture(18, 10 + 4, 18, 18);
    bool ink = false;
    for (int y = picture.top(); y <= picture.bottom(); ++y) {
        for (int x = picture.left(); x <= picture.right(); ++x) {
            ink = ink || qGray(image.pixel(x, y)) < 100;
        }
    }
    EXPECT_TRUE(ink);
}

}  // namespace
}  // namespace stowbar::qt
