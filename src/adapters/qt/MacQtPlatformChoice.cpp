#include "adapters/qt/QtPlatformChoice.hpp"

namespace stowbar {

// Qt's Cocoa platform is the only one, and the window server is always there.
void chooseQtPlatform() {}

}  // namespace stowbar
