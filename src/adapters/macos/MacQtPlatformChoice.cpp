#include "adapters/qt/QtPlatformChoice.hpp"

#include <optional>
#include <string>

namespace stowbar {

// Qt's Cocoa platform is the only one, and the window server is always there.
std::optional<std::string> chooseQtPlatform() {
    return std::nullopt;
}

}  // namespace stowbar
