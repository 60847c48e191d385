#include "core/AccessibilityBridge.hpp"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "core/MenuBarItemRecords.hpp"
#include "platform/Accessibility.hpp"
#include "platform/Geometry.hpp"

namespace stowbar {

namespace {

constexpr std::string_view kExtrasMenuBar = "AXExtrasMenuBar";
constexpr std::string_view kChildren = "AXChildren";
constexpr std::string_view kPosition = "AXPosition";
constexpr std::string_view kSize = "AXSize";
constexpr std::string_view kWindow = "AXWindow";
constexpr std::string_view kTopLevelUIElement = "AXTopLevelUIElement";
constexpr std::string_view kParent = "AXParent";

// Short enough that one application that does not answer cannot stall a refresh: it costs at
// most this much per request, and only two requests stand between it and its extras.
constexpr float kMessagingTimeoutSeconds = 0.1f;

// How far up the tree the window-number search goes before giving up.
constexpr int kMaximumAncestors = 8;

// A request's value when it succeeded with one of kind T, taken out of the answer without
// copying it; an answer without a value, or with one of another kind, counts as a failure.
template <typename T>
T* valueOf(AXAttributeResult& result) {
    if (result.error != kAXErrorSuccess || !result.value) {
        return nullptr;
    }
    return std::get_if<T>(&*result.value);
}

// An attribute that should hold one element. An empty handle is as good as a failed request.
AXElement copyElement(Accessibility& accessibility, const AXElement& element,
                      std::string_view attribute) {
    auto result = accessibility.copyAttributeValue(element, attribute);
    auto* found = valueOf<AXElement>(result);
    return found != nullptr ? std::move(*found) : nullptr;
}

// An attribute that should hold an array of elements. An array with an empty handle in it is
// not an array of elements either.
std::optional<std::vector<AXElement>> copyElements(Accessibility& accessibility,
                                                   const AXElement& element,
                                                   std::string_view attribute) {
    auto result = accessibility.copyAttributeValue(element, attribute);
    auto* found = valueOf<std::vector<AXElement>>(result);
    if (found == nullptr ||
        std::any_of(found->begin(), found->end(), [](const AXElement& e) { return !e; })) {
        return std::nullopt;
    }
    return std::move(*found);
}

}  // namespace

std::vector<AppMenuBarItem> AccessibilityBridge::findMenuBarItems(
    const std::vector<AppScanTarget>& targets) const {
    std::vector<AppMenuBarItem> items;
    // Most applications show one extra; more only grow the list geometrically, and a record
    // is cheap to move.
    items.reserve(targets.size());
    for (std::size_t index = 0; index < targets.size(); ++index) {
        const std::int32_t pid = targets[index].pid;
        const AXElement application = accessibility_.applicationElement(pid);
        if (!application) {
            continue;
        }
        // Whether the timeout could be set changes nothing about what is asked next.
        static_cast<void>(
            accessibility_.setMessagingTimeout(application, kMessagingTimeoutSeconds));

        const AXElement bar = copyElement(accessibility_, application, kExtrasMenuBar);
        if (!bar) {
            continue;
        }
        auto children = copyElements(accessibility_, bar, kChildren);
        if (!children) {
            continue;
        }
        for (auto& child : *children) {
            // Packed geometric values, read where the answers hold them; which geometry each
            // packs is left to the unpacking, which yields zeros for the wrong one.
            auto positionAnswer = accessibility_.copyAttributeValue(child, kPosition);
            const auto* position = valueOf<AXValue>(positionAnswer);
            if (position == nullptr) {
                continue;
            }
            auto sizeAnswer = accessibility_.copyAttributeValue(child, kSize);
            const auto* size = valueOf<AXValue>(sizeAnswer);
            if (size == nullptr) {
                continue;
            }
            const Rect frame{position->point(), size->size()};
            // Written so that a width that is not a number fails too.
            if (!(frame.size.width > 0)) {
                continue;
            }
            items.push_back({std::move(child), frame, pid, index});
        }
    }
    return items;
}

std::optional<std::uint32_t> AccessibilityBridge::windowID(const AXElement& element) const {
    if (!element) {
        return std::nullopt;
    }
    if (const auto number = directWindowID(element)) {
        return number;
    }
    if (const auto number = windowIDOfRelatedWindows(element)) {
        return number;
    }
    AXElement current = element;
    for (int depth = 0; depth < kMaximumAncestors; ++depth) {
        AXElement parent = copyElement(accessibility_, current, kParent);
        if (!parent) {
            return std::nullopt;
        }
        if (const auto number = directWindowID(parent)) {
            return number;
        }
        if (const auto number = windowIDOfRelatedWindows(parent)) {
            return number;
        }
        current = std::move(parent);
    }
    return std::nullopt;
}

std::optional<std::uint32_t> AccessibilityBridge::directWindowID(const AXElement& element) const {
    // Looked up for every attempt: the function is not part of the documented interface, and
    // its absence is a normal state of the system rather than an error.
    const auto function = accessibility_.windowNumberFunction();
    if (!function || !*function) {
        return std::nullopt;
    }
    std::uint32_t number = 0;
    if ((*function)(element, number) != kAXErrorSuccess || number == 0) {
        return std::nullopt;
    }
    return number;
}

std::optional<std::uint32_t> AccessibilityBridge::windowIDOfRelatedWindows(
    const AXElement& element) const {
    for (const auto attribute : {kWindow, kTopLevelUIElement}) {
        const AXElement window = copyElement(accessibility_, element, attribute);
        if (!window) {
            continue;
        }
        if (const auto number = directWindowID(window)) {
            return number;
        }
    }
    return std::nullopt;
}

}  // namespace stowbar
