#pragma once

#include <optional>
#include <string>

namespace stowbar {

// Chooses Qt's platform plugin before the application object is made, where the system needs a
// choice: on Linux, Qt's offscreen platform when there is no display at all (neither DISPLAY nor
// WAYLAND_DISPLAY set, and no QT_QPA_PLATFORM given), so that the program still runs; on macOS
// nothing, as the window server is always there. One source file per system.
//
// Returns why the platform Qt is about to use cannot work, as one line for the user ("cannot
// connect to display :1"), when that is known beforehand: an X display that DISPLAY names and
// that does not answer. Qt itself would abort there, after a note that does not name the
// display.
//
// Threading: main thread, before the QApplication exists.
std::optional<std::string> chooseQtPlatform();

}  // namespace stowbar
