#pragma once

#include "platform/Accessibility.hpp"

namespace stowbar {

// The Accessibility port over ApplicationServices' C interface (HIServices), in plain C++.
//
// Each element handle owns exactly one retained reference to its AXUIElementRef and releases it
// when the last copy of the handle goes. Attribute values are translated, never interpreted: an
// element, an array made only of elements, or a point/size/rect/range value; anything else is
// an "other" value. The window-number function is the private _AXUIElementGetWindow, looked up
// by name at run time on every request and never linked, so a system without it only yields
// "absent".
//
// Threading: no state of its own; every call may come from any thread, also concurrently, as
// Apple's Accessibility client functions allow for other processes' elements. Requests block
// the calling thread until the other application answers or its messaging timeout expires.
class MacAccessibility final : public Accessibility {
  public:
    bool isProcessTrusted() const override;
    AXElement applicationElement(std::int32_t pid) override;
    AXError setMessagingTimeout(const AXElement& element, float seconds) override;
    AXAttributeResult copyAttributeValue(const AXElement& element,
                                         std::string_view attribute) override;
    std::optional<AXWindowNumberFunction> windowNumberFunction() override;
    AXError performAction(const AXElement& element, std::string_view action) override;
};

}  // namespace stowbar
