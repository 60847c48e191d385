#pragma once

#include <string>

#include "adapters/sim/DesktopSimulation.hpp"
#include "platform/Accessibility.hpp"

namespace stowbar {

// Accessibility of the simulated desktop: each running application has an application
// element, an extras bar whose children are its extras, and, above each extra, the chain of
// ancestors and windows its description gives. Failures come from the description (omitted
// attributes, answers of the wrong kind, a missing bar, no window-number function) or from
// the state of the desktop: without trust every request fails at once; a request to an
// application that does not answer fails after its messaging timeout, which is recorded as
// virtual time and never waited for; a request to a slow application (answerDelay) made on a
// worker thread is answered once that much virtual time has passed on the attached loop, and
// at once on the main thread; an element of an application that ended, or whose extras were
// replaced, is no longer valid.
//
// Threading: safe from any thread, also concurrently (see DesktopSimulation). The simulation
// must outlive this object and every window-number function it hands out.
class SimulatedAccessibility final : public Accessibility {
  public:
    explicit SimulatedAccessibility(DesktopSimulation& simulation) : simulation_(simulation) {}

    bool isProcessTrusted() const override;
    AXElement applicationElement(std::int32_t pid) override;
    AXError setMessagingTimeout(const AXElement& element, float seconds) override;
    AXAttributeResult copyAttributeValue(const AXElement& element,
                                         std::string_view attribute) override;
    std::optional<AXWindowNumberFunction> windowNumberFunction() override;
    AXError performAction(const AXElement& element, std::string_view action) override;

    // The pid of the application a simulated element belongs to; absent for other handles.
    static std::optional<std::int32_t> processOf(const AXElement& element);
    // The name its process had when the element was made; empty for other handles.
    static std::string applicationOf(const AXElement& element);

  private:
    AXError windowNumber(const AXElement& element, std::uint32_t& number) const;

    DesktopSimulation& simulation_;
};

}  // namespace stowbar
