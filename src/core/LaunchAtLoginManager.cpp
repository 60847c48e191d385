#include "core/LaunchAtLoginManager.hpp"
#include "core/UserTexts.hpp"
#include "platform/ShellPorts.hpp"

namespace stowbar {

void LaunchAtLoginManager::registerIfNeeded() {
    // A bare executable has no application to register with the service.
    if (service_.mainBundlePathExtension() != "app") {
        return;
    }
    switch (service_.status()) {
        case LoginItemStatus::notRegistered:
        case LoginItemStatus::requiresApproval:
        case LoginItemStatus::notFound:
            break;
        case LoginItemStatus::enabled:
        default:
            // Enabled, or a status this program does not know: leave the system's choice alone.
            return;
    }
    if (!service_.registerMainApp()) {
        return;
    }
    if (service_.status() == LoginItemStatus::requiresApproval) {
        presentApprovalNotice();
    }
}

void LaunchAtLoginManager::presentApprovalNotice() {
    // The user's choice is not needed: the notice only tells them where to approve.
    alerts_.runModal(AlertDescription{AlertStyle::informational,
                                      localized(alert_text::kApprovalMessage),
                                      localized(alert_text::kApprovalInformative),
                                      {localized(alert_text::kApprovalButton)}});
}

}  // namespace stowbar
