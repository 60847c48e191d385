#include "adapters/sim/SimulatedAccessibility.hpp"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "adapters/sim/DesktopSimulation.hpp"
#include "adapters/sim/SimulatedDesktop.hpp"
#include "platform/Accessibility.hpp"
#include "platform/Geometry.hpp"
#include "runtime/Clock.hpp"
#include "runtime/ManualExecutor.hpp"

namespace stowbar {

namespace {

// Every element the simulation hands out. It names its place in the tree rather than
// holding tree nodes, so that the desktop can change under it: each request looks the place
// up again, under the generation the element was made in.
struct SimulatedElement final : AXUIElement {
    enum class Kind : std::uint8_t { application, bar, extra, ancestor, window, stray };

    SimulatedElement(Kind k, std::int32_t p, std::uint64_t g) : kind(k), pid(p), generation(g) {}

    Kind kind;
    std::int32_t pid;
    // The process generation for the application and its bar, the tree generation for the
    // rest; stray elements never become invalid because they answer nothing anyway.
    std::uint64_t generation;
    // The extra it is, or is above (0-based).
    std::size_t extra = 0;
    // For an ancestor: 1 is the extra's parent.
    std::size_t depth = 0;
    // For a window: what the window-number function reports for it.
    std::uint32_t windowNumber = 0;
    // The name of the process it belongs to, as it was when the element was made (empty for
    // a process that did not run then), so that a press of it can say whom it was meant for.
    std::string application;
};

const SimulatedElement* simulated(const AXElement& element) {
    return dynamic_cast<const SimulatedElement*>(element.get());
}

using Kind = SimulatedElement::Kind;
using State = DesktopSimulation::State;

// An element of the same process as `from`.
AXElement make(const SimulatedElement& from, Kind kind, std::uint64_t generation,
               std::size_t extra = 0, std::size_t depth = 0, std::uint32_t window = 0) {
    auto element = std::make_shared<SimulatedElement>(kind, from.pid, generation);
    element->extra = extra;
    element->depth = depth;
    element->windowNumber = window;
    element->application = from.application;
    return element;
}

AXAttributeResult failure(AXError error) {
    return {error, std::nullopt};
}

AXAttributeResult success(AXAttributeValue value) {
    return {kAXErrorSuccess, std::move(value)};
}

// The application a still-valid element belongs to; null for a stale element.
const SimulatedApplication* owner(const State& state, const SimulatedElement& element) {
    const SimulatedApplication* application = state.application(element.pid);
    if (application == nullptr || element.kind == Kind::stray) {
        return application;
    }
    const bool processWide = element.kind == Kind::application || element.kind == Kind::bar;
    const auto& generations = processWide ? state.processGenerations : state.treeGenerations;
    const auto found = generations.find(element.pid);
    if (found == generations.end() || found->second != element.generation) {
        return nullptr;
    }
    if (element.kind != Kind::application && element.kind != Kind::bar &&
        element.extra >= application->extras.size()) {
        return nullptr;
    }
    return application;
}

// The answer a description substitutes for the normal one. `numbers` are what a packed value
// carries, so that a position answered as a size still holds the position's numbers.
AXAttributeResult substitute(SimulatedAnswer answer, const SimulatedElement& asked,
                             std::pair<double, double> numbers) {
    switch (answer) {
        case SimulatedAnswer::error:
            return failure(kAXErrorFailure);
        case SimulatedAnswer::noValue:
            return {kAXErrorSuccess, std::nullopt};
        case SimulatedAnswer::other:
            return success(AXOtherValue{});
        case SimulatedAnswer::element:
            return success(make(asked, Kind::stray, 0));
        case SimulatedAnswer::nullElement:
            return success(AXElement{});
        case SimulatedAnswer::array:
            return success(std::vector<AXElement>{});
        case SimulatedAnswer::point:
            return success(AXValue{AXValue::Type::point, numbers.first, numbers.second});
        case SimulatedAnswer::size:
            return success(AXValue{AXValue::Type::size, numbers.first, numbers.second});
    }
    return failure(kAXErrorFailure);
}

const SimulatedAnswer* substituteFor(const SimulatedAnswers& answers, std::string_view attribute) {
    const auto found = answers.find(std::string(attribute));
    return found == answers.end() ? nullptr : &found->second;
}

// The answer for "AXWindow" / "AXTopLevelUIElement" of an element that names its window by
// number.
AXAttributeResult windowAnswer(const std::optional<std::uint32_t>& window,
                               const SimulatedElement& asked, std::uint64_t tree) {
    if (!window) {
        return failure(kAXErrorNoValue);
    }
    return success(make(asked, Kind::window, tree, asked.extra, 0, *window));
}

AXAttributeResult answerOfApplication(const SimulatedApplication& application,
                                      const SimulatedElement& asked, std::string_view attribute) {
    if (attribute == "AXExtrasMenuBar") {
        if (const auto* answer = substituteFor(application.answers, attribute)) {
            return substitute(*answer, asked, {});
        }
        if (!application.extrasMenuBar) {
            return failure(kAXErrorNoValue);
        }
        return success(make(asked, Kind::bar, asked.generation));
    }
    return failure(attribute == "AXParent" ? kAXErrorNoValue : kAXErrorAttributeUnsupported);
}

AXAttributeResult answerOfBar(const State& state, const SimulatedApplication& application,
                              const SimulatedElement& asked, std::string_view attribute) {
    if (attribute == "AXChildren") {
        if (const auto* answer = substituteFor(application.answers, attribute)) {
            return substitute(*answer, asked, {});
        }
        const std::uint64_t tree = state.treeGenerations.at(asked.pid);
        std::vector<AXElement> children;
        children.reserve(application.extras.size());
        for (std::size_t index = 0; index < application.extras.size(); ++index) {
            children.push_back(make(asked, Kind::extra, tree, index));
        }
        return success(std::move(children));
    }
    if (attribute == "AXParent") {
        return success(make(asked, Kind::application, asked.generation));
    }
    return failure(kAXErrorAttributeUnsupported);
}

AXAttributeResult answerOfExtra(const State& state, const SimulatedApplication& application,
                                const SimulatedElement& asked, std::string_view attribute) {
    const SimulatedExtra& extra = application.extras[asked.extra];
    const Point position = extra.position.value_or(Point{});
    const Size size = extra.size.value_or(Size{});
    if (const auto* answer = substituteFor(extra.answers, attribute)) {
        if (attribute == "AXSize") {
            return substitute(*answer, asked, {size.width, size.height});
        }
        return substitute(*answer, asked, {position.x, position.y});
    }
    if (attribute == "AXPosition") {
        if (!extra.position) {
            return failure(kAXErrorNoValue);
        }
        return success(AXValue{AXValue::Type::point, position.x, position.y});
    }
    if (attribute == "AXSize") {
        if (!extra.size) {
            return failure(kAXErrorNoValue);
        }
        return success(AXValue{AXValue::Type::size, size.width, size.height});
    }
    if (attribute == "AXWindow") {
        return windowAnswer(extra.axWindow, asked, asked.generation);
    }
    if (attribute == "AXTopLevelUIElement") {
        return windowAnswer(extra.axTopLevel, asked, asked.generation);
    }
    if (attribute == "AXParent") {
        if (!extra.parents) {
            return success(make(asked, Kind::bar, state.processGenerations.at(asked.pid)));
        }
        if (extra.parents->empty()) {
            return failure(kAXErrorNoValue);
        }
        return success(make(asked, Kind::ancestor, asked.generation, asked.extra, 1));
    }
    return failure(kAXErrorAttributeUnsupported);
}

AXAttributeResult answerOfAncestor(const SimulatedApplication& application,
                                   const SimulatedElement& asked, std::string_view attribute) {
    const auto& parents = application.extras[asked.extra].parents;
    if (!parents || asked.depth == 0 || asked.depth > parents->size()) {
        return failure(kAXErrorInvalidUIElement);
    }
    const SimulatedAncestor& ancestor = (*parents)[asked.depth - 1];
    if (const auto* answer = substituteFor(ancestor.answers, attribute)) {
        return substitute(*answer, asked, {});
    }
    if (attribute == "AXWindow") {
        return windowAnswer(ancestor.axWindow, asked, asked.generation);
    }
    if (attribute == "AXTopLevelUIElement") {
        return windowAnswer(ancestor.axTopLevel, asked, asked.generation);
    }
    if (attribute == "AXParent") {
        if (asked.depth == parents->size()) {
            return failure(kAXErrorNoValue);
        }
        return success(make(asked, Kind::ancestor, asked.generation, asked.extra, asked.depth + 1));
    }
    return failure(kAXErrorAttributeUnsupported);
}

// What the window-number function reports for a valid element of a responsive application.
std::optional<std::uint32_t> windowNumberOf(const SimulatedApplication& application,
                                            const SimulatedElement& element) {
    switch (element.kind) {
        case Kind::extra:
            return application.extras[element.extra].window;
        case Kind::ancestor: {
            const auto& parents = application.extras[element.extra].parents;
            if (!parents || element.depth == 0 || element.depth > parents->size()) {
                return std::nullopt;
            }
            return (*parents)[element.depth - 1].window;
        }
        case Kind::window:
            return element.windowNumber;
        case Kind::application:
        case Kind::bar:
        case Kind::stray:
            return std::nullopt;
    }
    return std::nullopt;
}

// Charges one unanswered request to `pid`: it fails once the timeout has passed.
void waitForNoAnswer(State& state, std::int32_t pid) {
    const double seconds = state.messagingTimeout(pid);
    auto& requests = state.record.applications[pid];
    ++requests.timeouts;
    requests.secondsWaited += seconds;
    state.record.secondsWaited += seconds;
}

// The application that answers a request about `asked`, or the error the request fails with
// first: no trust, an element whose application has ended or changed, or an application that
// does not answer (which costs its timeout).
struct Addressee {
    const SimulatedApplication* application = nullptr;
    AXError error = kAXErrorSuccess;
};

Addressee addresseeOf(State& state, const SimulatedElement& asked) {
    if (!state.desktop.accessibilityTrusted) {
        return {nullptr, kAXErrorAPIDisabled};
    }
    const SimulatedApplication* application = owner(state, asked);
    if (application == nullptr) {
        return {nullptr, kAXErrorInvalidUIElement};
    }
    // An answer that would come after the timeout never comes.
    if (!application->responds || application->answerDelay >= state.messagingTimeout(asked.pid)) {
        waitForNoAnswer(state, asked.pid);
        return {nullptr, kAXErrorCannotComplete};
    }
    return {application, kAXErrorSuccess};
}

// Lets the time `asked`'s application takes to answer pass before the request is answered. On
// a worker it passes on the loop's virtual clock, while the main thread goes on; the main
// thread moves that clock itself, so there the answer comes at once. The desktop is looked at
// again afterwards: the application may have ended or changed meanwhile.
void waitForAnswer(DesktopSimulation& simulation, const SimulatedElement& asked) {
    ManualExecutor* loop = nullptr;
    TimePoint deadline;
    {
        const auto state = simulation.lock();
        const SimulatedApplication* application = owner(*state, asked);
        if (state->loop == nullptr || state->loop->isCurrent() ||
            !state->desktop.accessibilityTrusted || application == nullptr ||
            !application->responds || !(application->answerDelay > 0)) {
            return;
        }
        const double seconds =
            std::min<double>(application->answerDelay, state->messagingTimeout(asked.pid));
        loop = state->loop;
        deadline = deadlineAfter(
            loop->now(), std::chrono::round<Duration>(std::chrono::duration<double>(seconds)));
    }
    loop->waitUntil(deadline);
}

}  // namespace

bool SimulatedAccessibility::isProcessTrusted() const {
    auto state = simulation_.lock();
    ++state->record.trustChecks;
    return state->desktop.accessibilityTrusted;
}

AXElement SimulatedAccessibility::applicationElement(std::int32_t pid) {
    auto state = simulation_.lock();
    // An element for a process that does not run is still an element; it has a generation no
    // process will ever have, so every request through it fails.
    const auto found = state->processGenerations.find(pid);
    auto element = std::make_shared<SimulatedElement>(
        Kind::application, pid, found == state->processGenerations.end() ? 0 : found->second);
    if (const auto* running = state->application(pid)) {
        element->application = running->name.value_or("");
    }
    return element;
}

AXError SimulatedAccessibility::setMessagingTimeout(const AXElement& element, float seconds) {
    const auto* asked = simulated(element);
    if (asked == nullptr || std::isnan(seconds) || seconds < 0) {
        return kAXErrorIllegalArgument;
    }
    auto state = simulation_.lock();
    auto& requests = state->record.applications[asked->pid];
    ++requests.messagingTimeoutsSet;
    // Zero restores the system's default, as on a real system.
    if (seconds == 0) {
        requests.messagingTimeout.reset();
    } else {
        requests.messagingTimeout = seconds;
    }
    return kAXErrorSuccess;
}

AXAttributeResult SimulatedAccessibility::copyAttributeValue(const AXElement& element,
                                                             std::string_view attribute) {
    const auto* asked = simulated(element);
    if (asked == nullptr) {
        return failure(kAXErrorIllegalArgument);
    }
    waitForAnswer(simulation_, *asked);
    auto state = simulation_.lock();
    auto& requests = state->record.applications[asked->pid];
    ++requests.attributeRequests;
    ++requests.attributes[std::string(attribute)];

    const auto [application, error] = addresseeOf(*state, *asked);
    if (application == nullptr) {
        return failure(error);
    }
    AXAttributeResult answer = failure(kAXErrorFailure);
    switch (asked->kind) {
        case Kind::application:
            answer = answerOfApplication(*application, *asked, attribute);
            break;
        case Kind::bar:
            answer = answerOfBar(*state, *application, *asked, attribute);
            break;
        case Kind::extra:
            answer = answerOfExtra(*state, *application, *asked, attribute);
            break;
        case Kind::ancestor:
            answer = answerOfAncestor(*application, *asked, attribute);
            break;
        case Kind::window:
            answer =
                failure(attribute == "AXParent" ? kAXErrorNoValue : kAXErrorAttributeUnsupported);
            break;
        case Kind::stray:
            answer = failure(kAXErrorAttributeUnsupported);
            break;
    }
    state->answered(asked->pid);
    return answer;
}

std::optional<AXWindowNumberFunction> SimulatedAccessibility::windowNumberFunction() {
    auto state = simulation_.lock();
    ++state->record.windowNumberLookups;
    if (!state->desktop.windowNumberFunction) {
        return std::nullopt;
    }
    return AXWindowNumberFunction([this](const AXElement& element, std::uint32_t& number) {
        return windowNumber(element, number);
    });
}

AXError SimulatedAccessibility::windowNumber(const AXElement& element,
                                             std::uint32_t& number) const {
    const auto* asked = simulated(element);
    if (asked == nullptr) {
        return kAXErrorIllegalArgument;
    }
    waitForAnswer(simulation_, *asked);
    auto state = simulation_.lock();
    ++state->record.applications[asked->pid].windowNumberAttempts;
    const auto [application, error] = addresseeOf(*state, *asked);
    if (application == nullptr) {
        return error;
    }
    const auto window = windowNumberOf(*application, *asked);
    state->answered(asked->pid);
    if (!window) {
        return kAXErrorFailure;
    }
    number = *window;
    return kAXErrorSuccess;
}

AXError SimulatedAccessibility::performAction(const AXElement& element, std::string_view action) {
    const auto* asked = simulated(element);
    if (asked == nullptr) {
        return kAXErrorIllegalArgument;
    }
    waitForAnswer(simulation_, *asked);
    auto state = simulation_.lock();
    state->record.applications[asked->pid].actions.emplace_back(action);
    if (action == "AXPress") {
        state->presses.push_back(DesktopSimulation::State::Press{asked->pid, asked->application,
                                                                 owner(*state, *asked) != nullptr});
    }
    const auto [application, error] = addresseeOf(*state, *asked);
    if (application == nullptr) {
        return error;
    }
    // Only an extra reacts to being pressed, as its application would to a click on it.
    const bool reacts = asked->kind == Kind::extra && action == "AXPress";
    state->answered(asked->pid);
    return reacts ? kAXErrorSuccess : kAXErrorActionUnsupported;
}

std::optional<std::int32_t> SimulatedAccessibility::processOf(const AXElement& element) {
    if (const auto* found = simulated(element)) {
        return found->pid;
    }
    return std::nullopt;
}

std::string SimulatedAccessibility::applicationOf(const AXElement& element) {
    const auto* found = simulated(element);
    return found != nullptr ? found->application : std::string();
}

}  // namespace stowbar
