#include "core/HiddenItemPanelModel.hpp"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/UserTexts.hpp"
#include "platform/PanelHost.hpp"
#include "platform/StatusItemInfo.hpp"

namespace stowbar {

std::string_view panelStateName(PanelState state) {
    switch (state) {
        case PanelState::accessibility:
            return "accessibility";
        case PanelState::fullDiskAccess:
            return "fullDiskAccess";
        case PanelState::loading:
            return "loading";
        case PanelState::list:
            return "list";
        case PanelState::empty:
            return "empty";
    }
    return "empty";
}

PanelState HiddenItemPanelModel::stateFor(const PanelInputs& inputs) {
    if (!inputs.accessibilityGranted) {
        return PanelState::accessibility;
    }
    if (!inputs.fullDiskAccessGranted) {
        return PanelState::fullDiskAccess;
    }
    if (inputs.isLoading && inputs.hiddenItems.empty()) {
        return PanelState::loading;
    }
    if (!inputs.hiddenItems.empty()) {
        return PanelState::list;
    }
    return PanelState::empty;
}

const PermissionPrompt& HiddenItemPanelModel::accessibilityPrompt() {
    static constexpr PermissionPrompt prompt{
        panel_symbol::kAccessibilityPrompt, panel_text::kAccessibilityTitle,
        panel_text::kAccessibilityDescription, panel_url::kAccessibilitySettings};
    return prompt;
}

const PermissionPrompt& HiddenItemPanelModel::fullDiskAccessPrompt() {
    static constexpr PermissionPrompt prompt{
        panel_symbol::kFullDiskAccessPrompt, panel_text::kFullDiskAccessTitle,
        panel_text::kFullDiskAccessDescription, panel_url::kFullDiskAccessSettings};
    return prompt;
}

std::string_view HiddenItemPanelModel::symbolDescription(std::string_view symbolName) {
    if (symbolName == panel_symbol::kAccessibilityPrompt) {
        return panel_text::kAccessibilitySymbolDescription;
    }
    if (symbolName == panel_symbol::kFullDiskAccessPrompt) {
        return panel_text::kFullDiskAccessSymbolDescription;
    }
    if (symbolName == panel_symbol::kEmpty) {
        return panel_text::kEmptySymbolDescription;
    }
    if (symbolName == panel_symbol::kMissingIcon) {
        return panel_text::kMissingIconSymbolDescription;
    }
    return {};
}

bool HiddenItemPanelModel::rowsScroll(std::size_t rowCount) {
    // Compared in floating point as the estimate is, so the boundary sits between 9 and 10.
    return static_cast<double>(rowCount) * kRowHeightEstimate > kScrollViewHeight;
}

std::string HiddenItemPanelModel::footerText(std::int64_t count) {
    return localized(panel_text::kHiddenItemsCount, {count});
}

std::string HiddenItemPanelModel::filteredFooterText(std::int64_t shown, std::int64_t count) {
    return localized(panel_text::kFilteredCount, {shown, count});
}

PanelContent HiddenItemPanelModel::describe(const PanelInputs& inputs) {
    PanelContent content;
    content.state = stateFor(inputs);
    content.hiddenItemCount = static_cast<std::int64_t>(inputs.hiddenItems.size());
    content.footerText = footerText(content.hiddenItemCount);
    switch (content.state) {
        case PanelState::accessibility:
            content.prompt = accessibilityPrompt();
            break;
        case PanelState::fullDiskAccess:
            content.prompt = fullDiskAccessPrompt();
            break;
        case PanelState::list:
            content.rows = inputs.hiddenItems;
            content.rowsScroll = rowsScroll(content.rows.size());
            break;
        case PanelState::loading:
        case PanelState::empty:
            break;
    }
    return content;
}

void HiddenItemPanelModel::checkForUpdates() const {
    if (actions_.onCheckForUpdates) {
        actions_.onCheckForUpdates();
    }
}

void HiddenItemPanelModel::quit() const {
    if (actions_.terminate) {
        actions_.terminate();
    }
}

void HiddenItemPanelModel::openSettings(const PermissionPrompt& prompt) const {
    if (actions_.openURL) {
        actions_.openURL(std::string(prompt.settingsURL));
    }
}

void HiddenItemPanelModel::activate(const StatusItemInfo& item) const {
    if (actions_.onActivate) {
        actions_.onActivate(item);
    }
}

void HiddenItemPanelModel::preferredSizeChanged() const {
    if (actions_.onPreferredSizeChange) {
        actions_.onPreferredSizeChange();
    }
}

}  // namespace stowbar
