#pragma once

#include "platform/Accessibility.hpp"

namespace stowbar {

// Linux has no system Accessibility interface that reaches other applications' menu bar
// extras, so this process is honestly never trusted and every request fails as it would for
// an untrusted process.
class LinuxAccessibility final : public Accessibility {
  public:
    bool isProcessTrusted() const override { return false; }
    AXElement applicationElement(std::int32_t pid) override;
    AXError setMessagingTimeout(const AXElement&, float) override { return kAXErrorAPIDisabled; }
    AXAttributeResult copyAttributeValue(const AXElement&, std::string_view) override {
        return {kAXErrorAPIDisabled, std::nullopt};
    }
    std::optional<AXWindowNumberFunction> windowNumberFunction() override { return std::nullopt; }
    AXError performAction(const AXElement&, std::string_view) override {
        return kAXErrorAPIDisabled;
    }
};

}  // namespace stowbar
