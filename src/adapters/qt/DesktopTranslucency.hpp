#pragma once

namespace stowbar::qt {

// Whether the desktop blends translucent windows with what lies beneath them. Where it does
// not, a window's clear parts show as black, so rounded windows cut themselves to shape.
// Each system answers in a source file of its own.
//
// Threading: main thread, with a QGuiApplication.
bool desktopBlendsTranslucentWindows();

}  // namespace stowbar::qt
