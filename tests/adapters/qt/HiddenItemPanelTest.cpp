#include "adapters/qt/HiddenItemPanel.hpp"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QScrollArea>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <numeric>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "adapters/qt/PanelDriver.hpp"
#include "adapters/qt/PanelStyle.hpp"
#include "adapters/qt/PanelWidgets.hpp"
#include "adapters/qt/StatusItemRow.hpp"
#include "core/HiddenItemPanelModel.hpp"
#include "core/HiddenItemPanelNavigator.hpp"
#include "core/UserTexts.hpp"
#include "platform/PanelHost.hpp"
#include "platform/StatusItemInfo.hpp"
#include "support/Golden.hpp"
#include "support/PanelTestItems.hpp"

namespace stowbar::qt {
namespace {

using test::granted;
using test::item;
using test::pictureItems;

// A panel on screen (the offscreen one), with every outgoing call written down in order.
struct PanelUnderTest {
    std::vector<std::string> calls;
    std::function<void(const StatusItemInfo&)> alsoOnActivate;
    std::unique_ptr<HiddenItemPanel> panel;

    explicit PanelUnderTest(PanelInputs inputs) {
        panel = std::make_unique<HiddenItemPanel>(PanelActions{
            [this] { calls.emplace_back("updates"); },
            [this](const StatusItemInfo& i) {
                calls.push_back("activate " + std::to_string(i.id) + " " + i.appName);
                if (alsoOnActivate) {
                    alsoOnActivate(i);
                }
            },
            [this] { calls.emplace_back("quit"); },
            [this](const std::string& url) { calls.push_back("open " + url); },
        });
        panel->setInputs(std::move(inputs));
        panel->show();
        QCoreApplication::processEvents();
    }
    HiddenItemPanel* operator->() const { return panel.get(); }
    PanelDriver driver() const { return PanelDriver(*panel); }
};

PanelInputs without(bool accessibility, std::size_t count) {
    PanelInputs in = granted(pictureItems(count));
    (accessibility ? in.accessibilityGranted : in.fullDiskAccessGranted) = false;
    return in;
}

QAbstractButton* openSettingsButton(const HiddenItemPanel& panel) {
    for (QAbstractButton* candidate : panel.findChildren<QAbstractButton*>()) {
        if (candidate->text() == "Open Settings" && candidate->isVisible()) {
            return candidate;
        }
    }
    return nullptr;
}

// The texts a person sees and the names a screen reader hears for the symbols and the
// progress indicator.
std::vector<QString> shownTexts(const HiddenItemPanel& panel) {
    std::vector<QString> texts;
    for (QWidget* child : panel.findChildren<QWidget*>()) {
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(child);
        if (!child->isVisible() || face == nullptr) {
            continue;
        }
        if (const auto* label = qobject_cast<QLabel*>(child)) {
            texts.push_back(label->text());
        } else if (face->role() == QAccessible::Graphic || face->role() == QAccessible::Animation) {
            texts.push_back(face->text(QAccessible::Name));
        }
    }
    return texts;
}

// The rows made so far. Rows have no meta-object of their own, so they are told apart from
// other widgets here.
std::vector<StatusItemRow*> rowWidgets(const HiddenItemPanel& panel) {
    std::vector<StatusItemRow*> rows;
    for (QWidget* child : panel.findChildren<QWidget*>()) {
        if (auto* row = dynamic_cast<StatusItemRow*>(child)) {
            rows.push_back(row);
        }
    }
    return rows;
}

// Each state of the panel, and the inputs that bring it.
std::vector<std::pair<const char*, PanelInputs>> everyState() {
    return {
        {"accessibility", without(true, 5)},
        {"full disk access", without(false, 0)},
        {"loading", granted({}, true)},
        {"list of three", granted(pictureItems(3))},
        {"list of eleven", granted(pictureItems(11))},
        {"empty", granted({})},
        {"a very long name", granted({item(1, std::string(300, 'W'))})},
    };
}

TEST(HiddenItemPanelTest, PanelIsTwoHundredPointsWideInEveryStateAndAsHighAsItsContent) {
    std::string transcript;
    std::vector<int> heights;
    for (const auto& [what, in] : everyState()) {
        SCOPED_TRACE(what);
        PanelUnderTest subject(in);
        EXPECT_EQ(subject->width(), 200);
        EXPECT_EQ(subject->sizeHint(), subject->size());
        EXPECT_GT(subject->height(), 60);
        heights.push_back(subject->height());
        transcript += std::string(what) + ": " + std::string(panelStateName(subject->state()));
        for (const QString& text : shownTexts(*subject.panel)) {
            transcript += " | " + text.toStdString();
        }
        transcript += "\n";
    }
    test::expectGolden("panel-states.txt", transcript);
    EXPECT_NE(heights[1], heights[2]) << "each state is as high as its own content";
}

TEST(HiddenItemPanelTest, NineItemsStackWithoutAScrollViewAndTenScrollInExactly440Points) {
    PanelUnderTest nine(granted(pictureItems(9)));
    EXPECT_EQ(nine->scrollArea(), nullptr);
    EXPECT_EQ(nine->rowCount(), 9u);
    // Top space, rows, divider, space, footer, bottom space: nothing stretches.
    const int footer = nine->quitButton()->height();
    const int row = StatusItemRow(StatusItemInfo{}, nullptr).sizeHint().height();
    EXPECT_EQ(nine->height(), 10 + 9 * row + 1 + 8 + footer + 10);

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

TEST(HiddenItemPanelTest, TheFooterCountIsShownWholeBesideOrAboveTheButtonsNeverUnderThem) {
    test::expectGoldenTable("footer-count.txt", [](const std::string& line) {
        std::istringstream in(line);
        std::size_t size = 0;
        std::string filter;
        in >> size >> filter;
        // Only a filter needs the rows; a prompt shows the count without building them.
        const std::vector<StatusItemInfo> items(size, item(1, "Bartender"));
        PanelUnderTest subject(!filter.empty() ? granted(items) : PanelInputs{items});
        subject->typeText(filter);
        const QLabel* count = subject->countLabel();
        EXPECT_LE(count->fontMetrics().horizontalAdvance(count->text()), count->width()) << line;
        const QRect updates = subject->updatesButton()->geometry();
        const QRect quit = subject->quitButton()->geometry();
        EXPECT_FALSE(count->geometry().intersects(updates)) << line;
        EXPECT_LT(updates.right(), quit.left()) << line;
        EXPECT_LE(quit.right(), 200 - 12) << line;
        EXPECT_GE(updates.width(), subject->updatesButton()->sizeHint().width()) << line;
        EXPECT_GE(quit.width(), subject->quitButton()->sizeHint().width()) << line;
        return count->text().toStdString() +
               (count->geometry().bottom() < updates.top() ? " | a line of its own" : " | beside");
    });
}

TEST(HiddenItemPanelTest, ThePointerTintsTheFooterButtonItIsOverAndHighlightsTheRowItIsOver) {
    PanelUnderTest subject(granted(pictureItems(2)));
    const QColor primary = colourFor(Colour::primary, subject->palette());
    const QColor secondary = colourFor(Colour::secondary, subject->palette());
    FooterButton* quit = subject->quitButton();
    FooterButton* updates = subject->updatesButton();
    EXPECT_EQ(quit->labelColour(), secondary);

    QTest::mouseMove(subject.panel.get(), quit->geometry().center() + quit->parentWidget()->pos());
    QCoreApplication::processEvents();
    EXPECT_EQ(quit->labelColour(), primary);
    EXPECT_EQ(updates->labelColour(), secondary);

    QTest::mouseMove(subject.panel.get(), subject->row(1)->geometry().center());
    QCoreApplication::processEvents();
    EXPECT_EQ(quit->labelColour(), secondary);
    EXPECT_TRUE(subject->row(1)->isHovered());
    EXPECT_FALSE(subject->row(0)->isHovered());

    // The simulated pointer is the same one pointer.
    subject.driver().hoverUpdates();
    EXPECT_EQ(quit->labelColour(), secondary);
    EXPECT_EQ(updates->labelColour(), primary);
    EXPECT_FALSE(subject->row(1)->isHovered());
    subject.driver().clearHover();
    EXPECT_EQ(updates->labelColour(), secondary);
}

TEST(HiddenItemPanelTest, TabReachesEachButtonInTurnAndAFocusedButtonShowsItsFocus) {
    PanelUnderTest prompt(without(false, 2));
    const std::vector<QAbstractButton*> buttons{openSettingsButton(*prompt.panel),
                                                prompt->updatesButton(), prompt->quitButton()};
    ASSERT_NE(buttons[0], nullptr);
    // Each button drawn with and without the focus differs, by a ring in the desktop's focus
    // colour. Opening focuses "Open Settings"; Tab moves on to "Updates", then "Quit".
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
    int checks = 0;
    PanelActions absent{[&checks] { ++checks; }, nullptr, [] {}, nullptr};
    absent.offersUpdates = false;
    HiddenItemPanel panel(absent);
    panel.setInputs(without(true, 2));
    panel.show();
    QCoreApplication::processEvents();
    EXPECT_FALSE(panel.updatesButton()->isVisible());
    EXPECT_TRUE(panel.quitButton()->isVisible());
    EXPECT_FALSE(PanelDriver(panel).clickButton("Updates"));
    EXPECT_EQ(checks, 0);
    EXPECT_FALSE(PanelDriver(panel).clickButton("Open Settings"));
    EXPECT_EQ(openSettingsButton(panel), nullptr);
    // A screen reader finds no such control either: the names in the accessible tree.
    std::vector<QString> names;
    const std::function<void(QAccessibleInterface*)> visit = [&](QAccessibleInterface* node) {
        for (int index = 0; index < node->childCount(); ++index) {
            if (QAccessibleInterface* child = node->child(index)) {
                names.push_back(child->text(QAccessible::Name));
                visit(child);
            }
        }
    };
    visit(QAccessible::queryAccessibleInterface(&panel));
    EXPECT_EQ(std::count(names.begin(), names.end(), "Quit"), 1);
    EXPECT_EQ(std::count(names.begin(), names.end(), "Updates"), 0);
    // Tab skips what is not offered: Quit is the one control left.
    panel.activateWindow();
    QApplication::setActiveWindow(&panel);
    panel.popoverDidOpen();
    for (int press = 0; press < 2; ++press) {
        panel.pressKey(PanelKey::tab);
        EXPECT_EQ(QApplication::focusWidget(), panel.quitButton()) << press;
    }
}

// The pointer over a row takes the one highlight, and a key takes it back: the rest of the keys
// are the navigator's table, the simulator's keyboard transcript and the AT-SPI check.
TEST(HiddenItemPanelTest, ThePointerAndTheKeysShareOneHighlight) {
    PanelUnderTest subject(granted(pictureItems(3)));
    subject->activateWindow();
    QApplication::setActiveWindow(subject.panel.get());
    subject->popoverDidOpen();
    subject.driver().hoverRow(2);
    EXPECT_FALSE(subject->row(0)->isHighlighted());
    EXPECT_TRUE(subject->row(2)->isHighlighted());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
    EXPECT_TRUE(subject->row(1)->isHighlighted());
    EXPECT_FALSE(subject->row(2)->isHighlighted());
    EXPECT_EQ(QApplication::focusWidget(), subject->row(1));
}

TEST(HiddenItemPanelTest, AScreenReaderFindsNamedRowsAndSymbolsAndHearsTheListArrive) {
    PanelUnderTest subject(granted({}, true));
    // The panel's name says what it shows; a change of name is what a screen reader announces.
    EXPECT_EQ(subject->accessibleName().toStdString(), panel_text::kScanning);

    // The list arrives: the change is announced. How each row reads is checked over AT-SPI.
    subject->setInputs(granted(pictureItems(3)));
    EXPECT_EQ(subject->accessibleName(), "3 Hidden Items");

    // The focused row is the toolkit's focus too; its press action is a click.
    subject->activateWindow();
    QApplication::setActiveWindow(subject.panel.get());
    subject->popoverDidOpen();
    subject->pressKey(PanelKey::down);
    QAccessibleInterface* second = QAccessible::queryAccessibleInterface(subject->row(1));
    EXPECT_TRUE(second->state().focusable);
    EXPECT_TRUE(second->state().focused);
    ASSERT_NE(second->actionInterface(), nullptr);
    second->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(subject.calls, std::vector<std::string>{"activate 802 Weather"});
}

TEST(HiddenItemPanelTest, ARowKeepsItsHighlightAcrossRedrawsWhileItsItemKeepsItsId) {
    PanelUnderTest subject(granted(pictureItems(9)));
    ASSERT_TRUE(subject.driver().hoverRow(2));
    StatusItemRow* hovered = subject->row(2);

    std::vector<StatusItemInfo> recaptured = pictureItems(9);
    recaptured[2].icon = test::solidPicture(30, 22, Qt::green);
    subject->setInputs(granted(recaptured));
    EXPECT_EQ(subject->row(2), hovered);
    EXPECT_TRUE(subject->row(2)->isHovered());
    EXPECT_EQ(subject->row(2)->item().icon, recaptured[2].icon);

    subject->setInputs(granted(pictureItems(12)));
    ASSERT_NE(subject->scrollArea(), nullptr);
    EXPECT_TRUE(subject->row(2)->isHovered());
    // That another item in its place drops the highlight is the long list's test.
}

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
        return std::accumulate(paints.begin(), paints.end(), 0,
                               [](int sum, const auto& entry) { return sum + entry.second; });
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

    items[5].icon = test::solidPicture(30, 22, Qt::green);
    subject->setInputs(granted(items));
    QCoreApplication::processEvents();
    EXPECT_EQ(counter.paints[before[5]], 1);
    EXPECT_EQ(counter.total(), 1);

    counter.paints.clear();
    subject->setInputs(granted(items));
    QCoreApplication::processEvents();
    EXPECT_EQ(counter.total(), 0);

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
    EXPECT_EQ(rowWidgets(*subject.panel).size(), 9u);
}

TEST(HiddenItemPanelLongListTest, ALongListArrivesOverSeveralTurnsAndAListOfNewIdsReusesItsRows) {
    HiddenItemPanel panel(PanelActions{});
    panel.show();
    panel.setInputs(granted(pictureItems(150)));
    EXPECT_EQ(panel.rowCount(), 150u);
    EXPECT_LT(rowWidgets(panel).size(), 150u) << "the rest is made on later turns";
    for (int turn = 0; turn < 100 && rowWidgets(panel).size() < 150; ++turn) {
        QCoreApplication::processEvents();
    }
    ASSERT_EQ(rowWidgets(panel).size(), 150u);

    QAccessibleInterface* last = QAccessible::queryAccessibleInterface(panel.row(149));
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(last->text(QAccessible::Name).toStdString(), panel.row(149)->item().appName);
    EXPECT_EQ(last->text(QAccessible::Description), "Hidden menu bar item");
    EXPECT_EQ(last->parent()->indexOfChild(last), 149);
    EXPECT_EQ(last->parent()->childCount(), 150);

    // Every application relaunched: new ids, the same widgets, no highlight carried over.
    ASSERT_TRUE(PanelDriver(panel).hoverRow(4));
    const std::vector<StatusItemRow*> before = rowWidgets(panel);
    std::vector<StatusItemInfo> relaunched = pictureItems(150);
    for (auto& record : relaunched) {
        record.id += 1000;
    }
    panel.setInputs(granted(relaunched));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(rowWidgets(panel), before);
    EXPECT_EQ(panel.row(149)->item().id, relaunched[149].id);
    EXPECT_FALSE(panel.row(4)->isHovered());

    // A row asked for before it was made is made then.
    panel.setInputs(granted({}));
    panel.setInputs(granted(pictureItems(40)));
    ASSERT_NE(panel.row(39), nullptr);
    EXPECT_EQ(panel.row(39)->item().id, pictureItems(40)[39].id);
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
    EXPECT_EQ(subject.calls.size(), 1u);
    EXPECT_EQ(subject->state(), PanelState::empty);
    EXPECT_EQ(subject->rowCount(), 0u);
}

// The grey of the ink in `area` farthest from `ground`'s grey, as a difference: below zero for
// text darker than the popover, above for lighter.
int inkAgainst(const QImage& image, const QRect& area, int ground) {
    int farthest = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const int difference = qGray(image.pixel(x, y)) - ground;
            farthest = std::abs(difference) > std::abs(farthest) ? difference : farthest;
        }
    }
    return farthest;
}

TEST(HiddenItemPanelTest, EveryStateReadsInBothAppearancesAndFollowsTheAppearanceAsItChanges) {
    const QPalette light = QApplication::palette();
    for (const Appearance appearance : {Appearance::light, Appearance::dark}) {
        for (const auto& [what, in] : everyState()) {
            SCOPED_TRACE(std::string(what) + (appearance == Appearance::dark ? ", dark" : ""));
            // Built in the light appearance and then turned dark, as a desktop or the system
            // turns while the program runs.
            PanelUnderTest subject(in);
            if (appearance == Appearance::dark) {
                QApplication::setPalette(darkPalette());
                // Qt hands a new palette to the widgets on the next turn of the loop.
                QCoreApplication::processEvents();
            }
            if (subject->state() == PanelState::list) {
                subject.driver().hoverRow(0);
            }
            const QImage image = subject.driver().renderImage(1);
            QApplication::setPalette(light);
            QCoreApplication::processEvents();
            const int ground = qGray(image.pixel(100, 3));
            if (appearance == Appearance::dark) {
                EXPECT_LT(ground, 60);
            } else {
                EXPECT_GT(ground, 200);
            }
            // Every text, the footer's included, stands out from the popover the right way; the
            // faintest level, the empty state's hint, by less.
            const int towards = appearance == Appearance::dark ? 1 : -1;
            for (const QLabel* label : subject->findChildren<QLabel*>()) {
                if (label->isVisible()) {
                    const QRect area(label->mapTo(subject.panel.get(), QPoint()), label->size());
                    const bool faint = label->text() == QString::fromUtf8(panel_text::kEmptyHint);
                    EXPECT_GT(towards * inkAgainst(image, area, ground), faint ? 45 : 90)
                        << label->text().toStdString();
                }
            }
            for (QWidget* child : subject->findChildren<QWidget*>()) {
                if (dynamic_cast<Divider*>(child) != nullptr && child->isVisible()) {
                    const QPoint middle = child->mapTo(subject.panel.get(), child->rect().center());
                    const int line = qGray(image.pixel(middle)) - ground;
                    EXPECT_GT(towards * line, 5) << "the separator is a faint line of label colour";
                    EXPECT_LT(towards * line, 60);
                }
            }
            if (subject->state() == PanelState::list) {
                // The highlighted row in the appearance's accent, its name still legible on it.
                StatusItemRow* row = subject->row(0);
                const QPoint inside =
                    row->mapTo(subject.panel.get(), QPoint(10, row->height() / 2));
                const QPalette used = appearance == Appearance::dark ? darkPalette() : light;
                EXPECT_EQ(image.pixelColor(inside).rgb(), colourFor(Colour::accent, used).rgb());
                const QRect name(row->mapTo(subject.panel.get(), QPoint(40, 0)),
                                 QSize(row->width() - 50, row->height()));
                EXPECT_GT(std::abs(inkAgainst(image, name, qGray(image.pixel(inside)))), 90);
            }
        }
    }
}

TEST(HiddenItemPanelTest, APanelThatWasNeverShownStillDrawsItsContent) {
    HiddenItemPanel panel(PanelActions{});
    panel.setInputs(granted(pictureItems(3)));
    const QImage image = PanelDriver(panel).renderImage(1);
    EXPECT_EQ(PanelDriver(panel).renderImage(2).size(), image.size() * 2) << "two pixels per point";
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
