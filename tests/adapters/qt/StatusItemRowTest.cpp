#include "adapters/qt/StatusItemRow.hpp"
#include "adapters/qt/SymbolPainter.hpp"

#include <QImage>
#include <QPainter>
#include <QTest>

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "adapters/qt/PanelStyle.hpp"
#include "platform/Accessibility.hpp"
#include "platform/Geometry.hpp"
#include "platform/Image.hpp"
#include "platform/StatusItemInfo.hpp"
#include "support/PanelTestItems.hpp"

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

    // The row as drawn at `ratio` pixels per point; at 1 pixel coordinates are point
    // coordinates.
    QImage picture(int ratio = 1) {
        QImage image(row.size() * ratio, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(ratio);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        row.render(&painter, QPoint(), QRegion(), QWidget::DrawChildren);
        return image;
    }
};

// Pixels in `area` that are not fully transparent.
int inkedPixels(const QImage& image, const QRect& area) {
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            count += qAlpha(image.pixel(x, y)) != 0 ? 1 : 0;
        }
    }
    return count;
}

TEST(StatusItemRowTest, AWideCaptureIsStretchedToFillTheWholeSquareUntilANewOneReplacesIt) {
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

    // The row keeps its picture scaled between paints; a new capture of the same size is
    // drawn, not the one kept.
    subject.row.setItem(item(1, "Weather", test::solidPicture(40, 22, Qt::blue)));
    EXPECT_EQ(subject.picture().pixelColor(square.center()), QColor(Qt::blue));
}

// An extra can keep its id across its application's relaunch (the id is its position when no
// window number was resolved) but not its process or element: a row that kept the old record
// would press a process that is gone.
TEST(StatusItemRowTest, AClickHandsOnTheLatestRecordWhicheverOneFieldChanged) {
    const StatusItemInfo shown = item(7, "Weather", test::solidPicture(22, 22, Qt::black));
    const std::vector<void (*)(StatusItemInfo&)> changes{
        [](StatusItemInfo& r) { r.id = 70; },
        [](StatusItemInfo& r) { r.windowID = 70; },
        [](StatusItemInfo& r) { r.frame.origin.x = 5; },
        [](StatusItemInfo& r) { r.appName = "Weather 2"; },
        // A new capture of the same pixels is a new picture.
        [](StatusItemInfo& r) { r.icon = test::solidPicture(22, 22, Qt::black); },
        [](StatusItemInfo& r) { r.axElement = std::make_shared<const AXUIElement>(); },
        [](StatusItemInfo& r) { r.bundleIdentifier = "com.example.weather"; },
        [](StatusItemInfo& r) { r.pid = 4242; },
    };
    for (std::size_t index = 0; index < changes.size(); ++index) {
        RowUnderTest subject(shown);
        StatusItemInfo changed = shown;
        changes[index](changed);
        EXPECT_FALSE(changed == shown) << index;
        subject.row.setItem(changed);
        subject.row.activate();
        ASSERT_EQ(subject.activated.size(), 1u);
        EXPECT_TRUE(subject.activated.front() == changed) << index;
    }
}

TEST(StatusItemRowTest, OnADoubleDensityScreenAPictureKeepsEveryPixelItWasCapturedWith) {
    // 18 × 18 points captured at two pixels per point, in stripes one pixel wide: drawn at
    // that density each pixel lands on one of the screen's; drawn at one pixel per point and
    // scaled up, the stripes blur into one colour.
    Bitmap stripes{36, 36, std::vector<std::uint32_t>(std::size_t{36} * 36)};
    for (std::size_t index = 0; index < stripes.pixels.size(); ++index) {
        stripes.pixels[index] = index % 2 == 0 ? 0xFFFF0000u : 0xFF0000FFu;
    }
    RowUnderTest subject(
        item(1, "Weather", std::make_shared<const Image>(Size{18, 18}, std::move(stripes))));
    const QImage image = subject.picture(2);
    const QRect square = subject.row.pictureRect();
    for (int x = 0; x < 36; ++x) {
        const QColor pixel = image.pixelColor(square.x() * 2 + x, square.y() * 2 + 17);
        EXPECT_EQ(pixel, QColor(x % 2 == 0 ? Qt::red : Qt::blue)) << x;
    }
}

TEST(StatusItemRowTest, TheFallbackSymbolIsDrawnOnlyWhenThePictureIsAbsentAndABadOneNotAtAll) {
    // Says 100 by 100 but holds ten pixels.
    Bitmap broken{100, 100, std::vector<std::uint32_t>(10, 0xFFFF0000u)};
    const std::pair<ImageRef, bool> cases[] = {
        {nullptr, true},
        {std::make_shared<const Image>(), false},
        {std::make_shared<const Image>(Size{50, 50}, std::move(broken)), false},
    };
    for (const auto& [picture, ink] : cases) {
        RowUnderTest subject(item(1, "Alpha", picture));
        EXPECT_EQ(inkedPixels(subject.picture(), subject.row.pictureRect()) > 0, ink);
    }
}

TEST(StatusItemRowTest, ANameShowsOnOneLineCutAtItsEndAndTheRowNeverGrows) {
    RowUnderTest plain(item(1, "Alpha Beta Gamma"));
    RowUnderTest controls(item(2, "Alpha\nBeta\tGamma"));
    RowUnderTest longName(
        item(3, "A Remarkably Long Application Name That Cannot Possibly Fit On One Line"));
    EXPECT_EQ(controls.row.displayedName(), "Alpha Beta Gamma");
    EXPECT_EQ(controls.row.nameRect(), plain.row.nameRect());
    EXPECT_EQ(longName.row.sizeHint().height(), plain.row.sizeHint().height());
    EXPECT_TRUE(longName.row.displayedName().endsWith(QChar(0x2026)));
    EXPECT_TRUE(longName.row.displayedName().startsWith("A Remarkably"));
    // Picture, two gaps, the spacer's minimum and the insets leave the name 118 points.
    EXPECT_EQ(longName.row.nameRect().width(), 118);
    EXPECT_EQ(longName.row.nameRect().left(), 6 + 12 + 18 + 10);
}

TEST(StatusItemRowTest, HoverFillsTheAccentColourSixPointsShortOfEachSide) {
    RowUnderTest subject(item(1, "Alpha", test::solidPicture(22, 22, Qt::black)));
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

TEST(StatusItemRowTest, ALeftClickAnywhereOnTheRowActivatesItsItemOnceAndNothingElseDoes) {
    // Right of the name, on the picture, in the margin outside the highlight.
    for (const QPoint place : {QPoint(150, 13), QPoint(25, 13), QPoint(2, 13)}) {
        for (const char* name : {"Alpha", ""}) {
            RowUnderTest subject(item(812, name));
            QTest::mouseClick(&subject.row, Qt::LeftButton, {}, place);
            ASSERT_EQ(subject.activated.size(), 1u) << place.x() << name;
            EXPECT_EQ(subject.activated[0].id, 812u);
            EXPECT_EQ(subject.activated[0].appName, name);
        }
    }
    RowUnderTest subject(item(1, "Alpha"));
    QTest::mousePress(&subject.row, Qt::LeftButton, {}, QPoint(100, 10));
    QTest::mouseRelease(&subject.row, Qt::LeftButton, {}, QPoint(100, 200));
    QTest::mouseClick(&subject.row, Qt::RightButton, {}, QPoint(100, 10));
    EXPECT_TRUE(subject.activated.empty()) << "released outside, or the right button";
}

QImage drawn(std::string_view name, QColor ground = Qt::transparent) {
    QImage image(80, 80, QImage::Format_ARGB32_Premultiplied);
    image.fill(ground);
    QPainter painter(&image);
    paintSymbol(painter, name, QRectF(0, 0, 80, 80), Qt::black);
    return image;
}

TEST(SymbolPainterTest, EverySymbolTheProgramNamesDrawsSomethingAndADegenerateBoxNothing) {
    for (const char* name :
         {"lock.shield", "externaldrive.badge.exclamationmark", "checkmark.circle", "app.dashed",
          "chevron.down.2", "no.such.symbol"}) {
        EXPECT_GT(inkedPixels(drawn(name), QRect(0, 0, 80, 80)), 160) << name;
    }
    QImage image(4, 4, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    paintSymbol(painter, "lock.shield", QRectF(0, 0, 0, 10), Qt::black);
    paintSymbol(painter, "lock.shield", QRectF(0, 0, -5, -5), Qt::black);
    painter.end();
    EXPECT_EQ(inkedPixels(image, image.rect()), 0);
}

TEST(SymbolPainterTest, ABadgeCutOutShowsWhatLiesUnderneath) {
    // The exclamation mark is cut out of the filled badge: on a white ground its stroke stays
    // white, where a symbol painted in place would have cleared it to transparent.
    const QImage onWhite = drawn("externaldrive.badge.exclamationmark", Qt::white);
    const QRgb insideMark = onWhite.pixel(64, 50);
    EXPECT_EQ(qAlpha(insideMark), 255);
    EXPECT_GT(qRed(insideMark), 200);
}

TEST(SymbolPainterTest, ANamedSymbolImageIsDrawnInTheGivenColourAndAnEmptyImageNotAtAll) {
    QImage image(20, 20, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        paintImage(painter, *Image::symbol("checkmark.circle"), QRectF(0, 0, 20, 20), Qt::red);
        paintImage(painter, Image(), QRectF(0, 0, 20, 20), Qt::blue);
    }
    bool sawRed = false;
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 20; ++x) {
            const QRgb pixel = image.pixel(x, y);
            EXPECT_EQ(qBlue(pixel), 0);
            sawRed = sawRed || (qAlpha(pixel) > 200 && qRed(pixel) > 200);
        }
    }
    EXPECT_TRUE(sawRed);
}

}  // namespace
}  // namespace stowbar::qt
