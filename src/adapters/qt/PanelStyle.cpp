#include "adapters/qt/PanelStyle.hpp"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>

#include <utility>

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

bool isDark(const QPalette& palette) {
    return palette.color(QPalette::Active, QPalette::Window).lightness() <
           palette.color(QPalette::Active, QPalette::WindowText).lightness();
}

QPalette darkPalette() {
    const QColor window(0x28, 0x28, 0x28);
    QPalette palette(QColor(0x3A, 0x3A, 0x3A), window);
    const QColor text(Qt::white);
    for (const auto& [role, colour] : {
             std::pair{QPalette::WindowText, text},
             std::pair{QPalette::Text, text},
             std::pair{QPalette::ButtonText, text},
             std::pair{QPalette::BrightText, text},
             std::pair{QPalette::Base, QColor(0x1E, 0x1E, 0x1E)},
             std::pair{QPalette::AlternateBase, QColor(0x2E, 0x2E, 0x2E)},
             std::pair{QPalette::ToolTipBase, QColor(0x3A, 0x3A, 0x3A)},
             std::pair{QPalette::ToolTipText, text},
             std::pair{QPalette::PlaceholderText, QColor(0xFF, 0xFF, 0xFF, 0x40)},
             std::pair{QPalette::Highlight, QColor(0x0A, 0x84, 0xFF)},
             std::pair{QPalette::HighlightedText, text},
             std::pair{QPalette::Link, QColor(0x41, 0x9C, 0xFF)},
         }) {
        palette.setColor(role, colour);
    }
    return palette;
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
        case Colour::scrollThumb:
            return withAlpha(label, 0.35);
        case Colour::spinner:
            return label;
        case Colour::orange:
            return isDark(palette) ? QColor(0xFF, 0x9F, 0x0A) : QColor(0xFF, 0x95, 0x00);
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
