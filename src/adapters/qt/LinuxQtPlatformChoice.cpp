#include <QByteArray>
#include <QtGlobal>

#include "adapters/qt/QtPlatformChoice.hpp"

namespace stowbar {

void chooseQtPlatform() {
    // Qt's environment functions share one lock, so this change cannot race with a read of the
    // environment made through Qt on another thread.
    if (!qEnvironmentVariableIsSet("DISPLAY") && !qEnvironmentVariableIsSet("WAYLAND_DISPLAY") &&
        !qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", QByteArray("offscreen"));
    }
}

}  // namespace stowbar
