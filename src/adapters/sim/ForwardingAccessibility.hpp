#pragma once

#include "platform/Accessibility.hpp"

namespace stowbar {

// An Accessibility that passes every call on to another one: the base of the wrappers that
// watch or delay some calls of the simulated desktop and leave the rest alone.
//
// Threading: as the wrapped port.
class ForwardingAccessibility : public Accessibility {
  public:
    explicit ForwardingAccessibility(Accessibility& inner) : inner_(inner) {}

    bool isProcessTrusted() const override { return inner_.isProcessTrusted(); }
    AXElement applicationElement(std::int32_t pid) override {
        return inner_.applicationElement(pid);
    }
    AXError setMessagingTimeout(const AXElement& element, float seconds) override {
        return inner_.setMessagingTimeout(element, seconds);
    }
    AXAttributeResult copyAttributeValue(const AXElement& element,
                                         std::string_view attribute) override {
        return inner_.copyAttributeValue(element, attribute);
    }
    std::optional<AXWindowNumberFunction> windowNumberFunction() override {
        return inner_.windowNumberFunction();
    }
    AXError performAction(const AXElement& element, std::string_view action) override {
        return inner_.performAction(element, action);
    }

  protected:
    Accessibility& inner_;
};

}  // namespace stowbar
