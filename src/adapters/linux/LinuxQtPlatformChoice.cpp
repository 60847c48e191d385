#include <QByteArray>
#include <QtGlobal>

#include <xcb/xcb.h>

#include <optional>
#include <string>

#include "adapters/qt/QtPlatformChoice.hpp"

namespace stowbar {

namespace {

// Whether Qt will connect to the X display DISPLAY names: it does when told to use xcb, and
// when told nothing outside a Wayland session. Where Wayland may be chosen, Qt decides alone.
bool usesXDisplay() {
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        return false;
    }
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (!platform.isEmpty()) {
        return platform == "xcb" || platform.startsWith("xcb:");
    }
    return !qEnvironmentVariableIsSet("WAYLAND_DISPLAY");
}

}  // namespace

std::optional<std::string> chooseQtPlatform() {
    // Qt's environment functions share one lock, so this change cannot race with a read of the
    // environment made through Qt on another thread.
    if (!qEnvironmentVariableIsSet("DISPLAY") && !qEnvironmentVariableIsSet("WAYLAND_DISPLAY") &&
        !qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", QByteArray("offscreen"));
        return std::nullopt;
    }
    if (!usesXDisplay()) {
        return std::nullopt;
    }
    // One connection of our own, closed at once: Qt makes its own right after.
    const std::string display = qgetenv("DISPLAY").toStdString();
    xcb_connection_t* connection = xcb_connect(display.c_str(), nullptr);
    const bool reached = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    if (reached) {
        return std::nullopt;
    }
    return "cannot connect to display " + display;
}

}  // namespace stowbar
