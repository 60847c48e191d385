#include "adapters/qt/DesktopTranslucency.hpp"

namespace stowbar::qt {

// The macOS window server always composites.
bool desktopBlendsTranslucentWindows() {
    return true;
}

}  // namespace stowbar::qt
