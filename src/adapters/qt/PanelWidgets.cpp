#include "adapters/qt/PanelWidgets.hpp"

#include <QColor>
#include <QEnterEvent>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>
#include <QTimerEvent>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <numbers>
#include <optional>
#include <string_view>

#include "adapters/qt/PanelStyle.hpp"
#include "adapters/qt/SymbolPainter.hpp"
#include "core/HiddenItemPanelModel.hpp"

namespace stowbar::qt {

// ---- Divider ----

Divider::Divider(QWidget* parent) : QWidget(parent) {
    setFixedHeight(1);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void Divider::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), colourFor(Colour::separator, palette()));
}

// ---- ElidingLabel ----

ElidingLabel::ElidingLabel(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void ElidingLabel::setFullText(const QString& text) {
    if (text == fullText_ && !QLabel::text().isEmpty()) {
        return;
    }
    fullText_ = text;
    measure();
    elide();
}

void ElidingLabel::measure() {
    // Measuring a text shapes it: done once per text and font, not at each layout.
    naturalWidth_ = fontMetrics().horizontalAdvance(fullText_);
    updateGeometry();
}

QSize ElidingLabel::sizeHint() const {
    return {naturalWidth_, fontMetrics().height()};
}

QSize ElidingLabel::minimumSizeHint() const {
    // Room for the ellipsis alone; everything else may go.
    const QFontMetrics metrics(font());
    return {metrics.horizontalAdvance(QChar(0x2026)), metrics.height()};
}

void ElidingLabel::changeEvent(QEvent* event) {
    QLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        measure();
        elide();
    }
}

void ElidingLabel::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    elide();
}

void ElidingLabel::elide() {
    // elidedText() may shorten a text that fits to the pixel, so it is only asked when needed.
    const QString shown = naturalWidth_ <= width()
                              ? fullText_
                              : fontMetrics().elidedText(fullText_, Qt::ElideRight, width());
    if (shown != QLabel::text()) {
        QLabel::setText(shown);
    }
}

void ElidingLabel::paintEvent(QPaintEvent*) {
    const QString& shown = QLabel::text();
    if (shown.isEmpty()) {
        return;
    }
    if (shaped_.text() != shown) {
        shaped_ = QStaticText(shown);
        shaped_.setTextFormat(Qt::PlainText);
    }
    // Where QLabel puts its one line: at the left of the contents, centred by the line's
    // unrounded height, in the foreground colour.
    QPainter painter(this);
    painter.setPen(palette().color(foregroundRole()));
    const QRect box = contentsRect();
    const double lineHeight = QFontMetricsF(font()).height();
    painter.drawStaticText(QPointF(box.left(), box.top() + (box.height() - lineHeight) / 2),
                           shaped_);
}

// ---- SymbolView ----

SymbolView::SymbolView(std::string_view name, TextStyle style, Colour colour, QWidget* parent)
    : QWidget(parent), name_(name), colour_(colour) {
    setFixedSize(symbolSize(name, pixelSizeOf(style)).toSize());
}

void SymbolView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paintSymbol(painter, name_, QRectF(rect()), colourFor(colour_, palette()));
}

// ---- SpinnerView ----

SpinnerView::SpinnerView(QWidget* parent) : QWidget(parent) {
    setFixedSize(kSide, kSide);
}

void SpinnerView::setFrozen(bool frozen) {
    frozen_ = frozen;
    update();
}

void SpinnerView::showEvent(QShowEvent*) {
    // One step per spoke, a full turn a second, like the desktop's own indicator.
    timer_.start(1000 / kSpokes, this);
}

void SpinnerView::hideEvent(QHideEvent*) {
    timer_.stop();
}

void SpinnerView::timerEvent(QTimerEvent* event) {
    if (event->timerId() != timer_.timerId()) {
        QWidget::timerEvent(event);
        return;
    }
    frame_ = (frame_ + 1) % kSpokes;
    update();
}

void SpinnerView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(width() / 2.0, height() / 2.0);
    painter.scale(kDrawnScale, kDrawnScale);

    const int lead = frozen_ ? 0 : frame_;
    const double outer = kSide / 2.0 - 1;
    const double inner = outer * 0.52;
    QColor spoke = colourFor(Colour::spinner, palette());
    for (int i = 0; i < kSpokes; ++i) {
        // The leading spoke is the darkest; the ones behind it fade like a trail.
        const int behind = (lead - i + kSpokes) % kSpokes;
        spoke.setAlphaF(static_cast<float>(0.75 - 0.55 * behind / (kSpokes - 1)));
        QPen pen(spoke, 3.2, Qt::SolidLine, Qt::RoundCap);
        painter.setPen(pen);
        const double angle = 2 * std::numbers::pi * i / kSpokes - std::numbers::pi / 2;
        painter.drawLine(QPointF(std::cos(angle) * inner, std::sin(angle) * inner),
                         QPointF(std::cos(angle) * outer, std::sin(angle) * outer));
    }
}

// ---- FooterButton ----

FooterButton::FooterButton(const QString& label, QWidget* parent) : QAbstractButton(parent) {
    setText(label);
    setFont(fontFor(TextStyle::caption));
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    // Reached with the keyboard only, so that a click never leaves a ring behind.
    setFocusPolicy(Qt::TabFocus);
}

void FooterButton::setFocusShown(bool shown) {
    if (focusShown_ != shown) {
        focusShown_ = shown;
        update();
    }
}

void FooterButton::setHovered(bool hovered) {
    if (hovered_ != hovered) {
        hovered_ = hovered;
        update();
    }
}

QColor FooterButton::labelColour() const {
    const LabelLevel level = HiddenItemPanelModel::footerButtonLevel(hovered_);
    return colourFor(level == LabelLevel::primary ? Colour::primary : Colour::secondary, palette());
}

QSize FooterButton::sizeHint() const {
    const QFontMetrics metrics(font());
    return {metrics.horizontalAdvance(text()) + 2 * kPaddingHorizontal,
            metrics.height() + 2 * kPaddingVertical};
}

void FooterButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(labelColour());
    painter.drawText(rect(), Qt::AlignCenter, text());
    if (hasFocus() || focusShown_) {
        paintFocusRing(painter, QRectF(rect()), kFocusRingRadius, palette());
    }
}

void FooterButton::enterEvent(QEnterEvent*) {
    setHovered(true);
}

void FooterButton::leaveEvent(QEvent*) {
    setHovered(false);
}

// ---- ProminentButton ----

namespace {
constexpr int kProminentPaddingHorizontal = 9;
constexpr int kProminentPaddingVertical = 3;
constexpr double kProminentRadius = 5;
}  // namespace

ProminentButton::ProminentButton(const QString& label, Colour tint, QWidget* parent)
    : QAbstractButton(parent), tint_(tint) {
    setText(label);
    setFont(fontFor(TextStyle::caption));
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setFocusPolicy(Qt::TabFocus);
}

void ProminentButton::setFocusShown(bool shown) {
    if (focusShown_ != shown) {
        focusShown_ = shown;
        update();
    }
}

QSize ProminentButton::sizeHint() const {
    const QFontMetrics metrics(font());
    return {metrics.horizontalAdvance(text()) + 2 * kProminentPaddingHorizontal,
            metrics.height() + 2 * kProminentPaddingVertical};
}

void ProminentButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor fill = colourFor(tint_, palette());
    if (isDown()) {
        fill = fill.darker(118);
    } else if (hovered_) {
        fill = fill.lighter(106);
    }
    QPainterPath bezel;
    bezel.addRoundedRect(QRectF(rect()), kProminentRadius, kProminentRadius);
    painter.fillPath(bezel, fill);
    painter.setPen(colourFor(Colour::onAccent, palette()));
    painter.drawText(rect(), Qt::AlignCenter, text());
    if (hasFocus() || focusShown_) {
        paintFocusRing(painter, QRectF(rect()), kProminentRadius, palette());
    }
}

void ProminentButton::enterEvent(QEnterEvent*) {
    hovered_ = true;
    update();
}

void ProminentButton::leaveEvent(QEvent*) {
    hovered_ = false;
    update();
}

// ---- FilterField ----

namespace {
constexpr int kFilterPaddingHorizontal = 8;
constexpr int kFilterPaddingVertical = 3;
constexpr double kFilterRadius = 6;
}  // namespace

FilterField::FilterField(QWidget* parent) : QWidget(parent) {
    setFont(fontFor(TextStyle::caption));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setFixedHeight(sizeHint().height());
}

void FilterField::setText(const QString& text) {
    if (text != text_) {
        text_ = text;
        update();
    }
}

QSize FilterField::sizeHint() const {
    const QFontMetrics metrics(font());
    return {static_cast<int>(HiddenItemPanelModel::kPanelWidth),
            metrics.height() + 2 * kFilterPaddingVertical + kGapBelow};
}

void FilterField::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF field =
        QRectF(rect()).adjusted(kInsetHorizontal, 0, -kInsetHorizontal, -kGapBelow);
    QPainterPath shape;
    shape.addRoundedRect(field, kFilterRadius, kFilterRadius);
    painter.fillPath(shape, colourFor(Colour::separator, palette()));
    painter.setPen(QPen(colourFor(Colour::focusRing, palette()), 1));
    painter.drawPath(shape);

    const QRectF textBox =
        field.adjusted(kFilterPaddingHorizontal, 0, -kFilterPaddingHorizontal, 0);
    const QFontMetrics metrics(font());
    // The end of a long filter is what was just typed, so that is the part kept in view.
    const QString shown =
        metrics.elidedText(text_, Qt::ElideLeft, static_cast<int>(textBox.width()) - 2);
    painter.setPen(colourFor(Colour::primary, palette()));
    painter.drawText(textBox, Qt::AlignLeft | Qt::AlignVCenter, shown);
    const double caret = textBox.left() + metrics.horizontalAdvance(shown) + 1;
    painter.fillRect(
        QRectF(caret, field.center().y() - metrics.ascent() / 2.0 - 1, 1, metrics.ascent() + 2),
        colourFor(Colour::primary, palette()));
}

// ---- PanelScrollArea ----

namespace {

constexpr int kIndicatorWidth = 11;
constexpr double kThumbWidth = 6;
constexpr double kThumbMinimumLength = 20;

// Draws the thumb of the scroll area's (hidden) vertical scroll bar over the content.
class ScrollIndicator final : public QWidget {
  public:
    ScrollIndicator(QScrollBar* bar, QWidget* parent) : QWidget(parent), bar_(bar) {
        // An indicator only: clicks and the wheel go to the rows beneath it.
        setAttribute(Qt::WA_TransparentForMouseEvents);
        connect(bar_, &QScrollBar::valueChanged, this, [this] { thumbMoved(); });
        connect(bar_, &QScrollBar::rangeChanged, this, [this] { thumbMoved(); });
    }

  protected:
    void paintEvent(QPaintEvent* event) override {
        const auto shape = thumb();
        drawn_ = shape ? coveredBy(*shape) : QRect();
        if (!shape) {
            return;
        }
        QPainter painter(this);
        const QImage& picture = thumbPicture(*shape);
        // Drawn one rectangle of the region at a time: under a clip of many rectangles Qt
        // blends through per-line spans and hands a tall thumb's lines to its thread pool,
        // then waits for them.
        for (const QRect& part : event->region() & drawn_) {
            painter.setClipRect(part);
            painter.drawImage(drawn_.topLeft(), picture);
        }
    }

  private:
    // Where the thumb goes; nothing while the content fits.
    std::optional<QRectF> thumb() const {
        const int range = bar_->maximum() - bar_->minimum();
        if (range <= 0) {
            return std::nullopt;
        }
        const double track = height() - 4.0;
        const double total = range + bar_->pageStep();
        const double length =
            std::max(kThumbMinimumLength, track * bar_->pageStep() / std::max(1.0, total));
        const double top =
            2.0 + (track - length) * (bar_->value() - bar_->minimum()) / static_cast<double>(range);
        return QRectF((width() - kThumbWidth) / 2.0, top, kThumbWidth, length);
    }

    // Every pixel the antialiased thumb may touch.
    static QRect coveredBy(const QRectF& shape) {
        return shape.toAlignedRect().adjusted(-1, -1, 1, 1);
    }

    // Only the thumb as drawn and as it is now are drawn again: the strip beneath it reaches
    // the popover's rounded edge, and all of it drawn again has the popover and every row
    // in sight drawn again too.
    void thumbMoved() {
        const auto shape = thumb();
        update(shape ? drawn_.united(coveredBy(*shape)) : drawn_);
    }

    // The thumb drawn on its own, at the same offset within whole pixels as `shape`, over
    // the pixels coveredBy() gives: copying it costs far less than filling its antialiased
    // outline each time the rows beneath are drawn again, and gives the same pixels.
    const QImage& thumbPicture(const QRectF& shape) {
        const QColor colour = colourFor(Colour::scrollThumb, palette());
        const QRect covered = coveredBy(shape);
        const QRectF local = shape.translated(-covered.topLeft());
        const qreal ratio = devicePixelRatioF();
        if (thumb_.isNull() || local != thumbShape_ || colour != thumbColour_ ||
            thumb_.devicePixelRatio() != ratio) {
            thumbShape_ = local;
            thumbColour_ = colour;
            thumb_ = capsule(local, covered.size(), ratio, colour);
        }
        return thumb_;
    }

    // A vertical capsule filled into an image of `size` points. Filled whole, a long one's
    // antialiased outline is more spans than Qt blends on the calling thread: it hands them
    // to its thread pool and waits. So each rounded end is filled on an image of its own few
    // lines, and the straight part between them, whose lines are all alike, is one line
    // copied.
    static QImage capsule(const QRectF& shape, QSize size, qreal ratio, const QColor& colour) {
        QImage image(size * ratio, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(ratio);
        const int lines = image.height();
        const double radius = shape.width() / 2;
        // The lines wholly between the two rounded ends, in device pixels.
        const int firstStraight =
            std::clamp(static_cast<int>(std::ceil((shape.top() + radius) * ratio)), 0, lines);
        const int endStraight = std::clamp(
            static_cast<int>(std::floor((shape.bottom() - radius) * ratio)), firstStraight, lines);
        // Fills the lines [from, to) as filling the whole image would.
        const auto fill = [&](int from, int to) {
            if (from >= to) {
                return;
            }
            QImage part(image.width(), to - from, QImage::Format_ARGB32_Premultiplied);
            part.setDevicePixelRatio(ratio);
            part.fill(Qt::transparent);
            {
                QPainter painter(&part);
                painter.setRenderHint(QPainter::Antialiasing);
                painter.translate(0, -from / ratio);
                QPainterPath path;
                path.addRoundedRect(shape, radius, radius);
                painter.fillPath(path, colour);
            }
            for (int line = from; line < to; ++line) {
                std::memcpy(image.scanLine(line), part.constScanLine(line - from),
                            static_cast<std::size_t>(image.bytesPerLine()));
            }
        };
        fill(0, std::min(firstStraight + 1, lines));
        for (int line = firstStraight + 1; line < endStraight; ++line) {
            std::memcpy(image.scanLine(line), image.constScanLine(firstStraight),
                        static_cast<std::size_t>(image.bytesPerLine()));
        }
        fill(std::max(endStraight, std::min(firstStraight + 1, lines)), lines);
        return image;
    }

    QScrollBar* bar_;
    // What the last paint covered.
    QRect drawn_;
    QImage thumb_;
    QRectF thumbShape_;
    QColor thumbColour_;
};

}  // namespace

PanelScrollArea::PanelScrollArea(QWidget* parent) : QScrollArea(parent) {
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setWidgetResizable(true);
    setAutoFillBackground(false);
    viewport()->setAutoFillBackground(false);
    indicator_ = new ScrollIndicator(verticalScrollBar(), this);
    indicator_->raise();
}

void PanelScrollArea::resizeEvent(QResizeEvent* event) {
    QScrollArea::resizeEvent(event);
    indicator_->setGeometry(width() - kIndicatorWidth, 0, kIndicatorWidth, height());
    indicator_->raise();
}

}  // namespace stowbar::qt
