#include "core/InteractionEngine.hpp"
#include "platform/StatusItemInfo.hpp"

namespace stowbar {

void InteractionEngine::activate(const StatusItemInfo& item) {
    if (!item.axElement) {
        return;
    }
    // The result is deliberately ignored: there is no fallback for a press that failed.
    static_cast<void>(accessibility_.performAction(item.axElement, kPressAction));
}

}  // namespace stowbar
