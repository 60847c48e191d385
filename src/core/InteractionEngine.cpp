#include "core/InteractionEngine.hpp"
#include "platform/Accessibility.hpp"
#include "platform/StatusItemInfo.hpp"

namespace stowbar {

AXError InteractionEngine::activate(const StatusItemInfo& item) const {
    if (!item.axElement) {
        return kAXErrorInvalidUIElement;
    }
    return accessibility_->performAction(item.axElement, kPressAction);
}

}  // namespace stowbar
