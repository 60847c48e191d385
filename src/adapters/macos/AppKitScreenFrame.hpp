#pragma once

#include "platform/Geometry.hpp"

namespace stowbar {

// A window's frame as AppKit gives it (points, origin at the bottom-left of the main display,
// y growing upwards), in Qt's global coordinates (origin at the main display's top-left, y
// growing downwards). `mainDisplay` is the main display's frame in AppKit's coordinates; a
// window on a display above the main one comes out with a negative y.
//
// Threading: pure; any thread.
inline Rect topLeftFrame(const Rect& mainDisplay, const Rect& frame) {
    const double mainTop = mainDisplay.origin.y + mainDisplay.size.height;
    const double frameTop = frame.origin.y + frame.size.height;
    return Rect{Point{frame.origin.x, mainTop - frameTop}, frame.size};
}

}  // namespace stowbar
