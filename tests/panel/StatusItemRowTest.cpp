#include "adapters/qt/StatusItemRow.hpp"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QTest>

#include <gtest/gtest.h>

#include <vector>

#include "PanelTestItems.hpp"
#include "adapters/qt/PanelStyle.hpp"

namespace stowbar::qt {
namespace {

using test::item;

constexpr int kWidth = 200;

struct RowUnderTest {
    std::vector<StatusItemInfo> activated;
    StatusItemRow row;

    explicit RowUnderTest(StatusItemInfo shown)
        : row(std::move(shown), [this](const StatusItemInfo& i) { activated.push_back(i); }) {
        row.resize(kWidth, row.sizeHint().height());
    }

    // The row as drawn at one pixel per point, so pixel coordinates are point coordinates.
    QImage picture() {
        QImage image(row.size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        row.render(&painter, QPoint(), QRegion(), QWidget::DrawChildren);
        return image;
    }
};

bool anyInkIn(const QImage& image, const QRect& area) {
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (qAlpha(image.pixel(x, y)) != 0) {
                return true;
            }
        }
    }
    return false;
}

TEST(StatusItemRowTest, AWideCaptureIsStretchedToFillTheWholeSquare) {
    RowUnderTest subject(item(1, "Weather", test::solidPicture(40, 22, Qt::red)));
    const QImage image = subject.picture();
    const QRect square = subject.row.pictureRect();
    EXPECT_EQ(square.size(), QSize(18, 18));
    // Kept in proportion the picture would leave bands at the top and bottom.
    for (const QPoint corner :
         {square.topLeft(), square.topRight(), square.bottomLeft(), square.bottomRight()}) {
        EXPECT_EQ(image.pixelColor(corner), QColor(Qt::red)) << corner.x() << "," << corner.y();
    }
    EXPECT_NE(image.pixelColor(square.topLeft() - QPoint(1, 1)), QColor(Qt::red));
}

TEST(StatusItemRowTest, TheFallbackSymbolIsDrawnOnlyWhenThePictureIsAbsent) {
    RowUnderTest absent(item(1, "Absent"));
    RowUnderTest empty(item(2, "Empty", std::make_shared<const Image>()));
    EXPECT_TRUE(anyInkIn(absent.picture(), absent.row.pictureRect()));
    EXPECT_FALSE(anyInkIn(empty.picture(), empty.row.pictureRect()));
}

TEST(StatusItemRowTest, ABitmapThatDoesNotMatchItsSizeDrawsNothing) {
    Bitmap broken;
    broken.width = 100;
    broken.height = 100;
    broken.pixels.assign(10, 0xFFFF0000u);
    RowUnderTest subject(
        item(1, "Broken", std::make_shared<const Image>(Size{50, 50}, std::move(broken))));
    EXPECT_FALSE(anyInkIn(subject.picture(), subject.row.pictureRect()));
}

TEST(StatusItemRowTest, ALongNameIsCutAtItsEndOnOneLineAndTheRowDoesNotGrow) {
    RowUnderTest shortName(item(1, "Alpha"));
    RowUnderTest longName(
        item(2, "A Remarkably Long Application Name That Cannot Possibly Fit On One Line"));
    EXPECT_EQ(longName.row.sizeHint().height(), shortName.row.sizeHint().height());
    EXPECT_TRUE(longName.row.displayedName().endsWith(QChar(0x2026)));
    EXPECT_TRUE(longName.row.displayedName().startsWith("A Remarkably"));
    EXPECT_EQ(shortName.row.displayedName(), "Alpha");
    // Picture, two gaps, the spacer's minimum and the insets leave the name 118 points.
    EXPECT_EQ(longName.row.nameRect().width(), 118);
    EXPECT_EQ(longName.row.nameRect().left(), 6 + 12 + 18 + 10);
}

TEST(StatusItemRowTest, ControlCharactersInANameShowAsSpacesOnTheOneLine) {
    RowUnderTest twoLines(item(1, "Alpha\nBeta\tGamma"));
    EXPECT_EQ(twoLines.row.displayedName(), "Alpha Beta Gamma");
    RowUnderTest oneLine(item(2, "Alpha Beta Gamma"));
    EXPECT_EQ(twoLines.row.nameRect(), oneLine.row.nameRect());
}

TEST(StatusItemRowTest, RowIsThePictureFramePlusItsInsetsHigh) {
    RowUnderTest subject(item(1, ""));
    const int line = QFontMetrics(fontFor(TextStyle::subheadline)).height();
    EXPECT_EQ(subject.row.sizeHint().height(), std::max(18, line) + 8);
}

TEST(StatusItemRowTest, HoverFillsTheAccentColourSixPointsShortOfEachSide) {
    RowUnderTest subject(item(1, "Alpha", test::glyphPicture(0)));
    const int middle = subject.row.height() / 2;
    const QColor accent = colourFor(Colour::accent, subject.row.palette());

    EXPECT_EQ(qAlpha(subject.picture().pixel(kWidth - 8, middle)), 0);
    subject.row.setHovered(true);
    const QImage hovered = subject.picture();
    EXPECT_EQ(hovered.pixelColor(6, middle), accent);
    EXPECT_EQ(hovered.pixelColor(kWidth - 7, middle), accent);
    EXPECT_EQ(qAlpha(hovered.pixel(5, middle)), 0);
    EXPECT_EQ(qAlpha(hovered.pixel(kWidth - 6, middle)), 0);
    // Rounded: the highlight's corner is clear.
    EXPECT_EQ(qAlpha(hovered.pixel(6, 0)), 0);
    EXPECT_EQ(subject.row.highlightRect(), QRect(6, 0, 188, subject.row.height()));

    subject.row.setHovered(false);
    EXPECT_EQ(qAlpha(subject.picture().pixel(kWidth - 8, middle)), 0);
}

TEST(StatusItemRowTest, AClickAnywhereOnTheRowActivatesItsItemOnce) {
    const QPoint places[] = {
        {150, 13},  // right of the name
        {25, 13},   // on the picture
        {2, 13},    // in the margin outside the highlight
    };
    for (const QPoint place : places) {
        RowUnderTest subject(item(812, "Alpha"));
        QTest::mouseClick(&subject.row, Qt::LeftButton, {}, place);
        ASSERT_EQ(subject.activated.size(), 1u) << place.x();
        EXPECT_EQ(subject.activated[0].id, 812u);
        EXPECT_EQ(subject.activated[0].appName, "Alpha");
    }
}

TEST(StatusItemRowTest, APressReleasedOutsideTheRowOrWithAnotherButtonDoesNothing) {
    RowUnderTest subject(item(1, "Alpha"));
    QTest::mousePress(&subject.row, Qt::LeftButton, {}, QPoint(100, 10));
    QTest::mouseRelease(&subject.row, Qt::LeftButton, {}, QPoint(100, 200));
    QTest::mouseClick(&subject.row, Qt::RightButton, {}, QPoint(100, 10));
    EXPECT_TRUE(subject.activated.empty());
}

TEST(StatusItemRowTest, ARowWithAnEmptyNameStillTakesClicks) {
    RowUnderTest subject(item(4, ""));
    QTest::mouseClick(&subject.row, Qt::LeftButton, {}, QPoint(100, 10));
    EXPECT_EQ(subject.activated.size(), 1u);
}

}  // namespace
}  // namespace stowbar::qt
