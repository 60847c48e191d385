#include "adapters/qt/SymbolPainter.hpp"
#include "platform/Image.hpp"

#include <QImage>
#include <QPainter>
#include <string_view>

#include <gtest/gtest.h>

namespace stowbar::qt {
namespace {

QImage drawn(std::string_view name, QColor ground = Qt::transparent) {
    QImage image(80, 80, QImage::Format_ARGB32_Premultiplied);
    image.fill(ground);
    QPainter painter(&image);
    paintSymbol(painter, name, QRectF(0, 0, 80, 80), Qt::black);
    return image;
}

int inkedPixels(const QImage& image, QRgb ground) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            count += image.pixel(x, y) != ground ? 1 : 0;
        }
    }
    return count;
}

TEST(SymbolPainterTest, EverySymbolTheProgramNamesDrawsSomethingAndADegenerateBoxNothing) {
    for (const char* name :
         {"lock.shield", "externaldrive.badge.exclamationmark", "checkmark.circle", "app.dashed",
          "chevron.down.2", "no.such.symbol"}) {
        EXPECT_GT(inkedPixels(drawn(name), 0), 160) << name;
    }
    QImage image(4, 4, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    paintSymbol(painter, "lock.shield", QRectF(0, 0, 0, 10), Qt::black);
    paintSymbol(painter, "lock.shield", QRectF(0, 0, -5, -5), Qt::black);
    painter.end();
    EXPECT_EQ(inkedPixels(image, 0), 0);
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
