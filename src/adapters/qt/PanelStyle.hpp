#pragma once

#include <cstdint>

#include <QColor>
#include <QFont>
#include <QPalette>
#include <QRectF>

class QPainter;

namespace stowbar::qt {

// The named text styles and colours the panel is described in, and what each becomes in Qt.
// This is the only place that decides it; every widget of the panel asks here.
//
//   term             Qt rendering (1 point = 1 logical pixel)
//   ---------------  -------------------------------------------------------------------
//   (family)         Inter when installed (Debian's fonts-inter), else the application font
//   caption          10 px, regular
//   subheadline      11 px, regular (subheadline bold: the same, bold)
//   body             13 px, regular (the row's fallback symbol, which has no style of its own)
//   title 2          17 px, regular (the prompt and empty-state symbols)
//   primary          palette WindowText at 85% opacity: the full-strength label colour
//   secondary        palette WindowText at 50% opacity: dimmed
//   tertiary         palette WindowText at 26% opacity: more dimmed
//   separator        palette WindowText at 12% opacity, one logical pixel thick
//   scroll thumb     palette WindowText at 35% opacity
//   spinner          palette WindowText, each spoke at its own opacity
//   orange           the system orange, #FF9500 in a light palette and #FF9F0A in a dark one
//                    (Qt palettes have no orange role)
//   accent           palette Highlight: the accent colour the user chose for their desktop
//   focus ring       palette Highlight, 1.5 px: the desktop's keyboard focus colour
//   on-accent text   white, for the label of a filled (prominent) button
//   popover fill     palette Window, behind the panel in pictures of it only
//
// The levels are derived from WindowText rather than fixed greys so a dark desktop palette
// gives light text at the same steps. The palette is the desktop's (Linux) or the system
// appearance's (macOS, where Qt's palette follows it); a palette that changes while the panel
// is shown reaches every colour, the labels' included, the next time it is drawn.
enum class TextStyle : std::uint8_t { caption, subheadline, subheadlineBold, body, title2 };
enum class Colour : std::uint8_t {
    primary,
    secondary,
    tertiary,
    separator,
    scrollThumb,
    spinner,
    orange,
    accent,
    focusRing,
    onAccent,
    popoverFill
};

// The two system appearances. The running program takes whichever its desktop has; the
// simulator and the tests choose.
enum class Appearance : std::uint8_t { light, dark };

// Whether a palette is a dark one: light text on a dark window.
bool isDark(const QPalette& palette);
// The palette of the dark appearance, modelled on macOS's dark popover: a near-black window,
// white label colour (the levels above take their opacity from it) and the dark accent blue.
QPalette darkPalette();

QFont fontFor(TextStyle style);
// The pixel size of a style, for symbols drawn "like text" at that style.
int pixelSizeOf(TextStyle style);
QColor colourFor(Colour colour, const QPalette& palette);
// The ring a control with the keyboard focus draws just inside `rect`, in the focus colour.
void paintFocusRing(QPainter& painter, const QRectF& rect, double radius, const QPalette& palette);

}  // namespace stowbar::qt
