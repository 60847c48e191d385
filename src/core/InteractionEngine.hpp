#pragma once

#include "core/MenuBarItemRecords.hpp"
#include "platform/Accessibility.hpp"

namespace stowbar {

// Presses a hidden menu bar extra on the user's behalf, as a click on it in the menu bar would.
// The press needs nothing but the element the item carries, so the engine keeps no state.
//
// Threading: main thread only. The Accessibility port is borrowed and must outlive the engine.
class InteractionEngine {
  public:
    static constexpr const char* kPressAction = "AXPress";

    explicit InteractionEngine(Accessibility& accessibility) : accessibility_(accessibility) {}

    // Performs the press action on the item's element. An item without an element is not
    // pressed; a refused or failed press is not reported, because there is nothing the user
    // could do about it that reopening the panel would not do.
    void activate(const StatusItemInfo& item);

  private:
    Accessibility& accessibility_;
};

}  // namespace stowbar
