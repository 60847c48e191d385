#include "adapters/qt/PanelStyle.hpp"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>

namespace stowbar::qt {

int pixelSizeOf(TextStyle style) {
    switch (style) {
        case TextStyle::caption:
            return 10;
        case TextStyle::subheadline:
        case TextStyle::subheadlineBold:
            return 11;
        case TextStyle::body:
            return 13;
        case TextStyle::title2:
            return 17;
    }
    return 13;
}

QFont fontFor(TextStyle style) {
    // Inter is close in its widths to the macOS system font the panel's 200 points were
    // measured for; without it the footer's texts may not fit side by side.
    static const bool haveInter = QFontDatabase::hasFamily(QStringLiteral("Inter"));
    QFont font = QGuiApplication::font();
    if (haveInter) {
        font.setFamily(QStringLiteral("Inter"));
    }
    font.setPixelSize(pixelSizeOf(style));
    font.setWeight(style == TextStyle::subheadlineBold ? QFont::Bold : QFont::Normal);
    return font;
}

QColor colourFor(Colour colour, const QPalette& palette) {
    const auto withAlpha = [](QColor base, double alpha) {
        base.setAlphaF(static_cast<float>(alpha));
        return base;
    };
    const QColor label = palette.color(QPalette::Active, QPalette::WindowText);
    switch (colour) {
        case Colour::primary:
            return withAlpha(label, 0.85);
        case Colour::secondary:
            return withAlpha(label, 0.50);
        case Colour::tertiary:
            return withAlpha(label, 0.26);
        case Colour::separator:
            return withAlpha(label, 0.12);
        case Colour::orange:
            return QColor(0xFF, 0x95, 0x00);
        case Colour::accent:
        case Colour::focusRing:
            return palette.color(QPalette::Active, QPalette::Highlight);
        case Colour::onAccent:
            return QColor(Qt::white);
        case Colour::popoverFill:
            return palette.color(QPalette::Active, QPalette::Window);
    }
    return label;
}

void paintFocusRing(QPainter& painter, const QRectF& rect, double radius, const QPalette& palette) {
    constexpr double kWidth = 1.5;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(colourFor(Colour::focusRing, palette), kWidth));
    const double inset = kWidth / 2;
    painter.drawRoundedRect(rect.adjusted(inset, inset, -inset, -inset), radius, radius);
    painter.restore();
}

}  // namespace stowbar::qt
