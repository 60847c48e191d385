#include "adapters/qt/PopupWindow.hpp"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>
#include <QRegion>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <utility>

#include "adapters/qt/PanelStyle.hpp"

namespace stowbar::qt {

namespace {

// The window's corners match the panel's own rounded shape.
constexpr double kCornerRadius = 10;

// The window's rounded shape is drawn once, on a square of its own just large enough for the
// two corners of a side and one line of straight edge between them, and the window's edge is
// copied from it: the corners as they are, the straight line stretched between them (each line
// of a straight edge is the same). Stroking the antialiased outline costs many times more than
// copying it, and an edge beside every row a list change touches is drawn again.
constexpr int kPatchCorner = static_cast<int>(kCornerRadius) + 2;
constexpr int kPatchSide = 2 * kPatchCorner + 1;

QPainterPath roundedShape(const QRectF& rect) {
    QPainterPath shape;
    shape.addRoundedRect(rect, kCornerRadius, kCornerRadius);
    return shape;
}

QPainterPath shapeWithin(const QRect& box) {
    return roundedShape(QRectF(box).adjusted(0.25, 0.25, -0.25, -0.25));
}

QRegion roundedMask(const QRect& rect) {
    return QRegion(roundedShape(QRectF(rect)).toFillPolygon().toPolygon());
}

}  // namespace

PopupWindow::PopupWindow(Qt::WindowFlags kind, std::function<void(QPoint, bool)> onOutsidePress)
    : QWidget(nullptr, kind | Qt::FramelessWindowHint), onOutsidePress_(std::move(onOutsidePress)) {
    setWindowTitle(QStringLiteral("Stowbar"));
    if (windowType() == Qt::Tool) {
        // Cocoa hides tool windows when their application deactivates, which an agent
        // application does as soon as the user looks elsewhere.
        setAttribute(Qt::WA_MacAlwaysShowToolWindow);
    }
    applyTranslucency();
}

void PopupWindow::setTranslucent(bool translucent) {
    if (translucent == translucent_) {
        return;
    }
    translucent_ = translucent;
    // The system window's pixel format (with or without alpha) is fixed when it is made: a new
    // one is made, with the new format, when the window is shown next.
    if (testAttribute(Qt::WA_WState_Created) && !isVisible()) {
        destroy();
    }
    applyTranslucency();
    patch_ = QImage();
    update();
}

void PopupWindow::setContent(QWidget* content) {
    content_ = content;
    centreContent();
}

void PopupWindow::centreContent() {
    if (content_ == nullptr) {
        return;
    }
    content_->move(std::max(0, (width() - content_->width()) / 2),
                   std::max(0, (height() - content_->height()) / 2));
}

void PopupWindow::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QColor fill = colourFor(Colour::popoverFill, palette());
    // Away from the rounded corners and the hairline edge the shape is one flat colour, and
    // the parts to draw again there (a row, the scroll indicator) are filled as plain
    // rectangles: the antialiased shape costs many times more and gives the same pixels.
    const QRect whole = rect();
    const int corner = static_cast<int>(std::ceil(kCornerRadius));
    const QRegion inside = QRegion(whole.adjusted(1, corner, -1, -corner)) |
                           QRegion(whole.adjusted(corner, 1, -corner, -1));
    // One rectangle of the region at a time: under a clip of many rectangles Qt fills through
    // per-line spans and hands a tall part's lines to its thread pool.
    for (const QRect& part : event->region() & inside) {
        painter.setClipRect(part);
        painter.fillRect(part, fill);
    }
    const QRegion edge = event->region() - inside;
    if (edge.isEmpty()) {
        return;
    }
    if (width() < kPatchSide || height() < kPatchSide) {
        // Too small to hold both corners of a side: the shape is drawn whole.
        painter.setClipRegion(edge);
        paintShape(painter, shapeWithin(rect()), fill);
        return;
    }
    paintEdge(painter, edge, fill);
}

void PopupWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (!translucent_) {
        setMask(roundedMask(rect()));
    }
    centreContent();
}

void PopupWindow::mousePressEvent(QMouseEvent* event) {
    const QPoint local = event->position().toPoint();
    if (!rect().contains(local) && onOutsidePress_) {
        onOutsidePress_(event->globalPosition().toPoint(), event->button() == Qt::LeftButton);
    }
    // Qt's own handling closes a popup on a press outside it.
    QWidget::mousePressEvent(event);
}

void PopupWindow::paintShape(QPainter& painter, const QPainterPath& shape,
                             const QColor& fill) const {
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(shape, fill);
    painter.setPen(QPen(colourFor(Colour::separator, palette()), 0.5));
    painter.drawPath(shape);
}

const QImage& PopupWindow::patch(const QColor& fill) {
    const qreal ratio = devicePixelRatioF();
    const QColor edge = colourFor(Colour::separator, palette());
    if (patch_.isNull() || patch_.devicePixelRatio() != ratio || patchFill_ != fill ||
        patchEdge_ != edge) {
        patchFill_ = fill;
        patchEdge_ = edge;
        patch_ = QImage(QSize(kPatchSide, kPatchSide) * ratio, QImage::Format_ARGB32_Premultiplied);
        patch_.setDevicePixelRatio(ratio);
        // What the shape is drawn over: nothing in a translucent window; in an opaque one the
        // background Qt fills it with first.
        patch_.fill(translucent_ ? QColor(Qt::transparent) : palette().color(backgroundRole()));
        QPainter painter(&patch_);
        paintShape(painter, shapeWithin(QRect(0, 0, kPatchSide, kPatchSide)), fill);
    }
    return patch_;
}

// Copies the part of the edge in `region` from the patch: the window in three columns and
// three rows, the outer ones the patch's corners, the middle ones its middle line.
void PopupWindow::paintEdge(QPainter& painter, const QRegion& region, const QColor& fill) {
    const QImage& source = patch(fill);
    const qreal ratio = source.devicePixelRatio();
    // Where a span of the window along one axis comes from in the patch.
    struct Span {
        int from;
        int to;
        int patchFrom;
        bool stretched;
    };
    const auto spans = [](int length) {
        return std::array<Span, 3>{Span{0, kPatchCorner, 0, false},
                                   Span{kPatchCorner, length - kPatchCorner, kPatchCorner, true},
                                   Span{length - kPatchCorner, length, kPatchCorner + 1, false}};
    };
    for (const Span& row : spans(height())) {
        for (const Span& column : spans(width())) {
            const QRect cell(column.from, row.from, column.to - column.from, row.to - row.from);
            for (const QRect& part : region.intersected(cell)) {
                const double x =
                    column.stretched ? column.patchFrom : column.patchFrom + part.x() - column.from;
                const double y =
                    row.stretched ? row.patchFrom : row.patchFrom + part.y() - row.from;
                const double w = column.stretched ? 1 : part.width();
                const double h = row.stretched ? 1 : part.height();
                // One rectangle at a time, as the inside.
                painter.setClipRect(part);
                painter.drawImage(QRectF(part), source,
                                  QRectF(x * ratio, y * ratio, w * ratio, h * ratio));
            }
        }
    }
}

void PopupWindow::applyTranslucency() {
    setAttribute(Qt::WA_TranslucentBackground, translucent_);
    // Made translucent once, a window keeps Qt's "no background" flag; opaque again, it is
    // filled with its background first, as the corners cut to shape expect.
    setAttribute(Qt::WA_NoSystemBackground, translucent_);
    if (translucent_) {
        clearMask();
    } else {
        setMask(roundedMask(rect()));
    }
}

}  // namespace stowbar::qt
