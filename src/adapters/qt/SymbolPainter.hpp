#pragma once

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QRectF>
#include <QSizeF>

#include <string_view>

#include "platform/Image.hpp"

namespace stowbar::qt {

// Stand-in drawings for the named symbol images the program uses. They are our own simple
// line drawings, not the platform's artwork: a shield with a lock, a drive with a warning
// badge, a circled check mark, a dashed application square and a double chevron. An unknown
// name draws a plain rounded square so that a missing drawing is visible but harmless.

// The size a symbol takes when drawn like text of the given pixel size.
QSizeF symbolSize(std::string_view name, double pixelSize);

// Draws the symbol scaled to fill `box`, in `colour`. Cut-outs (the gap around a badge, the
// mark inside it) are truly transparent, whatever lies underneath.
void paintSymbol(QPainter& painter, std::string_view name, const QRectF& box, const QColor& colour);

// Draws a picture stretched to fill `box` with smooth scaling, ignoring its aspect ratio. A
// named symbol is drawn in `symbolColour`; an empty image, or a bitmap whose pixel count does
// not match its size, draws nothing.
void paintImage(QPainter& painter, const Image& image, const QRectF& box,
                const QColor& symbolColour);

// paintImage for a picture drawn again and again, such as a row's: the bitmap is scaled once
// for the box and the device and kept until either, or the picture, changes. An empty
// reference draws nothing.
class ScaledPicture {
  public:
    void paint(QPainter& painter, const ImageRef& image, const QRectF& box,
               const QColor& symbolColour);

  private:
    ImageRef source_;
    QImage scaled_;
};

}  // namespace stowbar::qt
