#pragma once

#include "core/MenuBarItemRecords.hpp"
#include "platform/Accessibility.hpp"

namespace stowbar {

// Presses a hidden menu bar extra on the user's behalf, as a click on it in the menu bar would.
// The press needs nothing but the element the item carries, so the engine keeps no state.
//
// Threading: a press is a request to another application, which may not answer until its
// messaging timeout expires, so it is made on a background job, never on the main thread.
// The engine is a copyable value holding only the borrowed Accessibility port (which must
// outlive every copy); any thread may call it, also concurrently, as the port allows.
class InteractionEngine {
  public:
    static constexpr const char* kPressAction = "AXPress";

    explicit InteractionEngine(Accessibility& accessibility) : accessibility_(&accessibility) {}

    // Performs the press action on the item's element and returns the application's answer;
    // an item without an element is not pressed (kAXErrorInvalidUIElement). Blocks the
    // calling thread for as long as the application takes to answer.
    AXError activate(const StatusItemInfo& item) const;

  private:
    Accessibility* accessibility_;
};

}  // namespace stowbar
