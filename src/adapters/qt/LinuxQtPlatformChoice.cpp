#include <cstdlib>

#include "adapters/qt/QtPlatformChoice.hpp"

namespace stowbar {

void chooseQtPlatform() {
    if (std::getenv("DISPLAY") == nullptr && std::getenv("WAYLAND_DISPLAY") == nullptr &&
        std::getenv("QT_QPA_PLATFORM") == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
}

}  // namespace stowbar
