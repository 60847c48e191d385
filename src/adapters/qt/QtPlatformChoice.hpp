#pragma once

namespace stowbar {

// Chooses Qt's platform plugin before the application object is made, where the system needs a
// choice: on Linux, Qt's offscreen platform when there is no display at all (neither DISPLAY nor
// WAYLAND_DISPLAY set, and no QT_QPA_PLATFORM given), so that the program still runs; on macOS
// nothing, as the window server is always there. One source file per system.
//
// Threading: main thread, before the QApplication exists.
void chooseQtPlatform();

}  // namespace stowbar
