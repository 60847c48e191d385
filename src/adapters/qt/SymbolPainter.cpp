#include "adapters/qt/SymbolPainter.hpp"

#include <QImage>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainterPath>
#include <QPen>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <initializer_list>
#include <string_view>

#include "platform/Image.hpp"

namespace stowbar::qt {

namespace {

// Bitmaps larger than this on a side are not icons; they are skipped rather than drawn.
constexpr int kMaximumBitmapSide = 4096;

// Each drawing works in a unit square (or the symbol's own aspect) scaled to its box, with a
// stroke about a twelfth of the box's height, like a regular-weight symbol.
class UnitCanvas {
  public:
    UnitCanvas(QPainter& painter, const QRectF& box, const QColor& colour)
        : painter_(painter), box_(box), colour_(colour) {}

    QPointF at(double x, double y) const {
        return {box_.left() + x * box_.width(), box_.top() + y * box_.height()};
    }
    QRectF rect(double x, double y, double w, double h) const {
        return {at(x, y), QSizeF(w * box_.width(), h * box_.height())};
    }
    double unit() const { return std::min(box_.width(), box_.height()); }

    void stroke(const QPainterPath& path, double width = 1.0 / 12, bool dashed = false) {
        QPen pen(colour_, width * unit(), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        if (dashed) {
            pen.setCapStyle(Qt::FlatCap);
            pen.setDashPattern({1.6, 1.3});
        }
        painter_.setPen(pen);
        painter_.setBrush(Qt::NoBrush);
        painter_.drawPath(path);
    }
    void fill(const QPainterPath& path) {
        painter_.setPen(Qt::NoPen);
        painter_.setBrush(colour_);
        painter_.drawPath(path);
    }
    // Removes what was drawn under `path`, for the gaps around badges and marks in them.
    void clear(const QPainterPath& path) {
        const auto mode = painter_.compositionMode();
        painter_.setCompositionMode(QPainter::CompositionMode_Clear);
        painter_.setPen(Qt::NoPen);
        painter_.setBrush(Qt::black);
        painter_.drawPath(path);
        painter_.setCompositionMode(mode);
    }

  private:
    QPainter& painter_;
    QRectF box_;
    QColor colour_;
};

QPainterPath polyline(const UnitCanvas& c, std::initializer_list<QPointF> points) {
    QPainterPath path;
    bool first = true;
    for (const QPointF& p : points) {
        if (first) {
            path.moveTo(c.at(p.x(), p.y()));
            first = false;
        } else {
            path.lineTo(c.at(p.x(), p.y()));
        }
    }
    return path;
}

QPainterPath circle(const UnitCanvas& c, double cx, double cy, double radius) {
    QPainterPath path;
    path.addEllipse(c.at(cx, cy), radius * c.unit(), radius * c.unit());
    return path;
}

void drawLockShield(UnitCanvas& c) {
    QPainterPath shield;
    shield.moveTo(c.at(0.5, 0.05));
    shield.lineTo(c.at(0.86, 0.19));
    shield.lineTo(c.at(0.86, 0.47));
    shield.cubicTo(c.at(0.86, 0.72), c.at(0.70, 0.86), c.at(0.5, 0.95));
    shield.cubicTo(c.at(0.30, 0.86), c.at(0.14, 0.72), c.at(0.14, 0.47));
    shield.lineTo(c.at(0.14, 0.19));
    shield.closeSubpath();
    c.stroke(shield);

    QPainterPath shackle;
    shackle.moveTo(c.at(0.405, 0.50));
    shackle.lineTo(c.at(0.405, 0.42));
    shackle.arcTo(c.rect(0.405, 0.31, 0.19, 0.20), 180, -180);
    shackle.lineTo(c.at(0.595, 0.50));
    c.stroke(shackle, 1.0 / 16);
    QPainterPath body;
    body.addRoundedRect(c.rect(0.34, 0.48, 0.32, 0.25), 0.04 * c.unit(), 0.04 * c.unit());
    c.fill(body);
}

void drawDriveWithBadge(UnitCanvas& c) {
    // Drawn in a box 1.25 times wider than high; x runs over the width, y over the height.
    QPainterPath drive;
    drive.addRoundedRect(c.rect(0.04, 0.30, 0.74, 0.42), 0.1 * c.unit(), 0.1 * c.unit());
    c.stroke(drive);
    c.fill(circle(c, 0.62, 0.51, 0.045));
    c.stroke(polyline(c, {{0.16, 0.51}, {0.40, 0.51}}), 1.0 / 14);

    c.clear(circle(c, 0.80, 0.70, 0.32));
    c.fill(circle(c, 0.80, 0.70, 0.25));
    QPainterPath mark;
    mark.addRoundedRect(c.rect(0.775, 0.53, 0.05, 0.21), 0.025 * c.unit(), 0.025 * c.unit());
    c.clear(mark);
    c.clear(circle(c, 0.80, 0.845, 0.04));
}

void drawCheckmarkCircle(UnitCanvas& c) {
    c.stroke(circle(c, 0.5, 0.5, 0.43));
    c.stroke(polyline(c, {{0.31, 0.52}, {0.45, 0.66}, {0.70, 0.36}}));
}

void drawAppDashed(UnitCanvas& c) {
    QPainterPath square;
    square.addRoundedRect(c.rect(0.1, 0.1, 0.8, 0.8), 0.22 * c.unit(), 0.22 * c.unit());
    c.stroke(square, 1.0 / 12, true);
}

void drawDoubleChevron(UnitCanvas& c) {
    c.stroke(polyline(c, {{0.22, 0.22}, {0.5, 0.46}, {0.78, 0.22}}), 1.0 / 10);
    c.stroke(polyline(c, {{0.22, 0.54}, {0.5, 0.78}, {0.78, 0.54}}), 1.0 / 10);
}

void drawUnknown(UnitCanvas& c) {
    QPainterPath square;
    square.addRoundedRect(c.rect(0.12, 0.12, 0.76, 0.76), 0.18 * c.unit(), 0.18 * c.unit());
    c.stroke(square);
}

// The pixels per point of what the painter really fills. A widget drawn into another device
// (QWidget::render into a picture of the panel at 2x) paints through a painter whose device()
// is the widget itself, at the screen's ratio; its paint engine's device is the picture.
double painterPixelRatio(const QPainter& painter) {
    const QPaintEngine* engine = painter.paintEngine();
    const QPaintDevice* device = engine != nullptr && engine->paintDevice() != nullptr
                                     ? engine->paintDevice()
                                     : painter.device();
    return device != nullptr ? std::max(1.0, device->devicePixelRatioF()) : 1.0;
}

}  // namespace

QSizeF symbolSize(std::string_view name, double pixelSize) {
    // Symbols stand a little taller than the text's cap height, as they do beside text.
    const double height = std::round(pixelSize * 1.2);
    const double aspect = name == "externaldrive.badge.exclamationmark" ? 1.25 : 1.0;
    return {std::round(height * aspect), height};
}

void paintSymbol(QPainter& painter, std::string_view name, const QRectF& box,
                 const QColor& colour) {
    if (box.width() <= 0 || box.height() <= 0) {
        return;
    }
    // Drawn on a layer of its own so that cut-outs clear only the symbol, never what the
    // painter drew before.
    const double ratio = painterPixelRatio(painter);
    const QSize pixels(static_cast<int>(std::ceil(box.width() * ratio)),
                       static_cast<int>(std::ceil(box.height() * ratio)));
    QImage layer(pixels, QImage::Format_ARGB32_Premultiplied);
    layer.setDevicePixelRatio(ratio);
    layer.fill(Qt::transparent);
    {
        QPainter layerPainter(&layer);
        layerPainter.setRenderHint(QPainter::Antialiasing);
        UnitCanvas canvas(layerPainter, QRectF(QPointF(0, 0), box.size()), colour);
        if (name == "lock.shield") {
            drawLockShield(canvas);
        } else if (name == "externaldrive.badge.exclamationmark") {
            drawDriveWithBadge(canvas);
        } else if (name == "checkmark.circle") {
            drawCheckmarkCircle(canvas);
        } else if (name == "app.dashed") {
            drawAppDashed(canvas);
        } else if (name == "chevron.down.2") {
            drawDoubleChevron(canvas);
        } else {
            drawUnknown(canvas);
        }
    }
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(box, layer);
    painter.restore();
}

namespace {

// The device pixels a box covers.
QSize devicePixels(const QPainter& painter, const QRectF& box) {
    const double ratio = painterPixelRatio(painter);
    return {std::max(1, static_cast<int>(std::lround(box.width() * ratio))),
            std::max(1, static_cast<int>(std::lround(box.height() * ratio)))};
}

// The bitmap scaled to `target` device pixels with Qt's area-averaging filter, so a large
// capture shrinks without the shimmer of plain bilinear sampling; a null image for a bitmap
// whose pixel count does not match its size.
QImage scaledBitmap(const Bitmap& bitmap, QSize target) {
    const bool usable = bitmap.width > 0 && bitmap.height > 0 &&
                        bitmap.width <= kMaximumBitmapSide && bitmap.height <= kMaximumBitmapSide &&
                        bitmap.pixels.size() == static_cast<std::size_t>(bitmap.width) *
                                                    static_cast<std::size_t>(bitmap.height);
    if (!usable) {
        return {};
    }
    // The pixels are borrowed for the duration of the scaling only.
    const QImage pixels(reinterpret_cast<const uchar*>(bitmap.pixels.data()), bitmap.width,
                        bitmap.height, static_cast<qsizetype>(bitmap.width) * 4,
                        QImage::Format_ARGB32_Premultiplied);
    return pixels.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

void drawScaled(QPainter& painter, const QRectF& box, const QImage& scaled) {
    if (scaled.isNull()) {
        return;
    }
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(box, scaled);
    painter.restore();
}

}  // namespace

void paintImage(QPainter& painter, const Image& image, const QRectF& box,
                const QColor& symbolColour) {
    if (const auto& bitmap = image.bitmap()) {
        drawScaled(painter, box, scaledBitmap(*bitmap, devicePixels(painter, box)));
        return;
    }
    if (!image.symbolName().empty()) {
        paintSymbol(painter, image.symbolName(), box, symbolColour);
    }
}

void ScaledPicture::paint(QPainter& painter, const ImageRef& image, const QRectF& box,
                          const QColor& symbolColour) {
    if (!image) {
        return;
    }
    const auto& bitmap = image->bitmap();
    if (!bitmap) {
        paintImage(painter, *image, box, symbolColour);
        return;
    }
    const QSize target = devicePixels(painter, box);
    if (image != source_ || scaled_.isNull() || target != scaled_.size()) {
        source_ = image;
        scaled_ = scaledBitmap(*bitmap, target);
    }
    drawScaled(painter, box, scaled_);
}

}  // namespace stowbar::qt
