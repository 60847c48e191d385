#include "adapters/qt/StatusItemRow.hpp"

#include <QEnterEvent>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <utility>

#include "adapters/qt/PanelStyle.hpp"
#include "adapters/qt/SymbolPainter.hpp"
#include "core/DisplayText.hpp"
#include "core/HiddenItemPanelModel.hpp"
#include "platform/StatusItemInfo.hpp"

namespace stowbar::qt {

namespace {

// Everything on the row's line except the name: margins, insets, picture, the gaps on either
// side of the name and the spacer's minimum after it.
constexpr int kFixedWidth = 2 * StatusItemRow::kOuterMargin + 2 * StatusItemRow::kInsetHorizontal +
                            StatusItemRow::kPictureSide + 2 * StatusItemRow::kGap +
                            StatusItemRow::kSpacerMinimum;

}  // namespace

StatusItemRow::StatusItemRow(StatusItemInfo item, Activate onActivate, QWidget* parent)
    : QWidget(parent), item_(std::move(item)), onActivate_(std::move(onActivate)) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setFont(fontFor(TextStyle::subheadline));
}

void StatusItemRow::setItem(const StatusItemInfo& item) {
    if (replaceItem(item)) {
        redraw();
    }
}

void StatusItemRow::redraw() {
    // Asked of the column: before drawing, Qt checks each widget asked to draw against every
    // sibling in front of it, which for a long list is every row below; the column is one
    // widget however many of its rows changed.
    QWidget* column = parentWidget();
    if (column != nullptr && isVisible()) {
        column->update(highlightRect().translated(pos()));
    } else {
        update(highlightRect());
    }
}

bool StatusItemRow::replaceItem(const StatusItemInfo& item) {
    // A list published again mostly repeats the records its rows hold: those are left as
    // they are rather than copied over themselves.
    if (item == item_) {
        return false;
    }
    // Only the picture and the name are drawn; a record that changes neither needs no redraw.
    const bool drawn = item.icon != item_.icon || item.appName != item_.appName;
    if (item.appName != item_.appName) {
        name_.reset();
    }
    item_ = item;
    return drawn;
}

void StatusItemRow::setHovered(bool hovered) {
    if (hovered_ != hovered) {
        hovered_ = hovered;
        redraw();
    }
}

void StatusItemRow::setFocused(bool focused) {
    if (focused_ != focused) {
        focused_ = focused;
        redraw();
    }
}

void StatusItemRow::activate() {
    if (onActivate_) {
        // A copy, so that a callback which replaces this row's item sees the one clicked.
        const StatusItemInfo clicked = item_;
        onActivate_(clicked);
    }
}

int StatusItemRow::rowHeight() const {
    // The picture frame sets the height unless the name's line is taller.
    const int line = QFontMetrics(fontFor(TextStyle::subheadline)).height();
    return std::max(kPictureSide, line) + 2 * kInsetVertical;
}

QSize StatusItemRow::sizeHint() const {
    return {static_cast<int>(HiddenItemPanelModel::kPanelWidth), rowHeight()};
}

QSize StatusItemRow::minimumSizeHint() const {
    return {kFixedWidth, rowHeight()};
}

QRect StatusItemRow::highlightRect() const {
    return rect().adjusted(kOuterMargin, 0, -kOuterMargin, 0);
}

QRect StatusItemRow::pictureRect() const {
    const int left = kOuterMargin + kInsetHorizontal;
    return {left, (height() - kPictureSide) / 2, kPictureSide, kPictureSide};
}

const StatusItemRow::NameLayout& StatusItemRow::nameLayout() const {
    // Measuring and eliding a text shapes it each time; a row is drawn far more often than
    // its name or its width change.
    const int available = std::max(0, width() - kFixedWidth);
    if (!name_ || name_->available != available) {
        const QFontMetrics metrics(fontFor(TextStyle::subheadline));
        const QString text = QString::fromStdString(singleLineText(item_.appName));
        const QString displayed = metrics.elidedText(text, Qt::ElideRight, available);
        QStaticText shaped(displayed);
        shaped.setTextFormat(Qt::PlainText);
        name_ = NameLayout{available, metrics.horizontalAdvance(text), metrics.height(), displayed,
                           shaped};
    }
    return *name_;
}

QRect StatusItemRow::nameRect() const {
    const NameLayout& name = nameLayout();
    const int left = pictureRect().right() + 1 + kGap;
    return {left, (height() - name.lineHeight) / 2, std::min(name.natural, name.available),
            name.lineHeight};
}

QString StatusItemRow::displayedName() const {
    return nameLayout().displayed;
}

void StatusItemRow::paintEvent(QPaintEvent* event) {
    // A part that lies wholly outside the region to draw is skipped: a strip drawn again over
    // the row, such as the scroll indicator's, then costs no picture scaling or text shaping.
    // The margin covers what antialiasing and glyphs reaching past their box draw outside.
    const auto needed = [event](const QRectF& part) {
        constexpr double kMargin = 4;
        return event->region().intersects(
            part.adjusted(-kMargin, -kMargin, kMargin, kMargin).toAlignedRect());
    };
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPalette& colours = palette();

    if (isHighlighted()) {
        QPainterPath highlight;
        highlight.addRoundedRect(QRectF(highlightRect()), kHighlightRadius, kHighlightRadius);
        painter.fillPath(highlight, colourFor(Colour::accent, colours));
    }

    const QRectF picture(pictureRect());
    if (item_.icon) {
        if (needed(picture)) {
            picture_.paint(painter, item_.icon, picture, colourFor(Colour::primary, colours));
        }
    } else {
        // The fallback symbol keeps its natural size for body text, centred in the frame.
        const auto name = panel_symbol::kMissingIcon;
        QRectF symbolBox(QPointF(), symbolSize(name, pixelSizeOf(TextStyle::body)));
        symbolBox.moveCenter(picture.center());
        if (needed(symbolBox)) {
            paintSymbol(painter, name, symbolBox, colourFor(Colour::secondary, colours));
        }
    }

    const QRect nameBox = nameRect();
    if (needed(nameBox)) {
        painter.setFont(fontFor(TextStyle::subheadline));
        painter.setPen(colourFor(Colour::primary, colours));
        // Placed as drawText() centres one line in the box: by the line's unrounded height.
        const double lineHeight = QFontMetricsF(painter.font()).height();
        painter.drawStaticText(
            QPointF(nameBox.left(), nameBox.top() + (nameBox.height() - lineHeight) / 2),
            nameLayout().shaped);
    }
}

void StatusItemRow::enterEvent(QEnterEvent*) {
    setHovered(true);
}

void StatusItemRow::leaveEvent(QEvent*) {
    setHovered(false);
}

void StatusItemRow::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        pressed_ = true;
        event->accept();
        return;
    }
    QWidget::mousePressEvent(event);
}

void StatusItemRow::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    // A tap: pressed and released on the row. A press dragged off the row does nothing.
    const bool tapped = pressed_ && rect().contains(event->position().toPoint());
    pressed_ = false;
    event->accept();
    if (tapped) {
        activate();
    }
}

}  // namespace stowbar::qt
