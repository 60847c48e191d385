// Threading: stateless; any thread, also concurrently (see MacAccessibility.hpp).

#include "adapters/macos/MacAccessibility.hpp"

#include <ApplicationServices/ApplicationServices.h>
#include <dlfcn.h>

#include <atomic>
#include <vector>

#include "adapters/macos/MacAXValueTranslation.hpp"

namespace stowbar {

namespace {

// Owns one retained reference to an element: adopted from a Create/Copy call, or retained
// once when taken out of a container that keeps its own.
//
// A messaging timeout set on an application's element applies to that element only: its
// children, ancestors and the element a press goes to would each wait for the global default
// (seconds) on an application that hangs. So every element remembers the timeout of the element
// it was read from and sets it on itself when it is made.
class MacElement final : public AXUIElement {
  public:
    MacElement(AXUIElementRef adopted, float timeout) : ref_(adopted), timeout_(timeout) {
        if (timeout > 0) {
            AXUIElementSetMessagingTimeout(ref_, timeout);
        }
    }
    ~MacElement() override { CFRelease(ref_); }
    MacElement(const MacElement&) = delete;
    MacElement& operator=(const MacElement&) = delete;

    AXUIElementRef ref() const { return ref_; }
    float timeout() const { return timeout_.load(std::memory_order_relaxed); }
    void rememberTimeout(float seconds) const {
        timeout_.store(seconds, std::memory_order_relaxed);
    }

  private:
    AXUIElementRef ref_;
    // 0: the system's default. Handles are shared and const; the timeout is the one thing a
    // request changes on them, from any thread.
    mutable std::atomic<float> timeout_;
};

AXElement adopt(AXUIElementRef owned, float timeout) {
    return std::make_shared<const MacElement>(owned, timeout);
}

AXElement retainAndWrap(AXUIElementRef borrowed, float timeout) {
    CFRetain(borrowed);
    return adopt(borrowed, timeout);
}

// The element behind a handle this adapter made; null for anything else.
const MacElement* mine(const AXElement& element) {
    return dynamic_cast<const MacElement*>(element.get());
}

AXUIElementRef refOf(const AXElement& element) {
    const MacElement* found = mine(element);
    return found != nullptr ? found->ref() : nullptr;
}

// A CFString for the duration of one request.
class CFText {
  public:
    explicit CFText(std::string_view text)
        : ref_(CFStringCreateWithBytes(
              kCFAllocatorDefault, reinterpret_cast<const UInt8*>(text.data()),
              static_cast<CFIndex>(text.size()), kCFStringEncodingUTF8, false)) {}
    ~CFText() {
        if (ref_ != nullptr) {
            CFRelease(ref_);
        }
    }
    CFText(const CFText&) = delete;
    CFText& operator=(const CFText&) = delete;

    CFStringRef get() const { return ref_; }

  private:
    CFStringRef ref_;
};

AXValue unpack(AXValueRef value) {
    switch (AXValueGetType(value)) {
        case kAXValueTypeCGPoint: {
            CGPoint point{};
            AXValueGetValue(value, kAXValueTypeCGPoint, &point);
            return {AXValue::Type::point, point.x, point.y};
        }
        case kAXValueTypeCGSize: {
            CGSize size{};
            AXValueGetValue(value, kAXValueTypeCGSize, &size);
            return {AXValue::Type::size, size.width, size.height};
        }
        case kAXValueTypeCGRect:
            return {AXValue::Type::rect, 0, 0};
        case kAXValueTypeCFRange:
            return {AXValue::Type::range, 0, 0};
        default:
            return {};
    }
}

// The private function's shape: element in, window number out, an AXError back.
using GetWindowFunction = AXError (*)(AXUIElementRef, CGWindowID*);

}  // namespace

AXAttributeValue translateAttributeValue(CFTypeRef owned, float timeout) {
    const CFTypeID type = CFGetTypeID(owned);
    if (type == AXUIElementGetTypeID()) {
        return adopt(static_cast<AXUIElementRef>(owned), timeout);
    }
    AXAttributeValue result = AXOtherValue{};
    if (type == CFArrayGetTypeID()) {
        const auto array = static_cast<CFArrayRef>(owned);
        const CFIndex count = CFArrayGetCount(array);
        std::vector<AXElement> elements;
        elements.reserve(static_cast<std::size_t>(count));
        bool allElements = true;
        for (CFIndex index = 0; index < count && allElements; ++index) {
            const CFTypeRef member = CFArrayGetValueAtIndex(array, index);
            allElements = member != nullptr && CFGetTypeID(member) == AXUIElementGetTypeID();
            if (allElements) {
                elements.push_back(retainAndWrap(static_cast<AXUIElementRef>(member), timeout));
            }
        }
        if (allElements) {
            result = std::move(elements);
        }
    } else if (type == AXValueGetTypeID()) {
        result = unpack(static_cast<AXValueRef>(owned));
    }
    CFRelease(owned);
    return result;
}

bool MacAccessibility::isProcessTrusted() const {
    return AXIsProcessTrusted();
}

AXElement MacAccessibility::applicationElement(std::int32_t pid) {
    return adopt(AXUIElementCreateApplication(static_cast<pid_t>(pid)), 0);
}

AXError MacAccessibility::setMessagingTimeout(const AXElement& element, float seconds) {
    const MacElement* found = mine(element);
    if (found == nullptr) {
        return kAXErrorIllegalArgument;
    }
    found->rememberTimeout(seconds);
    return AXUIElementSetMessagingTimeout(found->ref(), seconds);
}

AXAttributeResult MacAccessibility::copyAttributeValue(const AXElement& element,
                                                       std::string_view attribute) {
    const MacElement* found = mine(element);
    const CFText name(attribute);
    if (found == nullptr || name.get() == nullptr) {
        return {kAXErrorIllegalArgument, std::nullopt};
    }
    CFTypeRef value = nullptr;
    const AXError error = AXUIElementCopyAttributeValue(found->ref(), name.get(), &value);
    AXAttributeResult result{error, std::nullopt};
    if (value != nullptr) {
        // A value handed out alongside an error still belongs to us and is released here.
        AXAttributeValue translated = translateAttributeValue(value, found->timeout());
        if (error == kAXErrorSuccess) {
            result.value = std::move(translated);
        }
    }
    return result;
}

std::optional<AXWindowNumberFunction> MacAccessibility::windowNumberFunction() {
    // Undocumented and free to vanish in any release: looked up by name, never linked.
    void* symbol = dlsym(RTLD_DEFAULT, "_AXUIElementGetWindow");
    if (symbol == nullptr) {
        return std::nullopt;
    }
    const auto function = reinterpret_cast<GetWindowFunction>(symbol);
    return AXWindowNumberFunction([function](const AXElement& element, std::uint32_t& number) {
        const AXUIElementRef ref = refOf(element);
        if (ref == nullptr) {
            return kAXErrorIllegalArgument;
        }
        CGWindowID window = 0;
        const AXError error = function(ref, &window);
        number = static_cast<std::uint32_t>(window);
        return error;
    });
}

AXError MacAccessibility::performAction(const AXElement& element, std::string_view action) {
    const AXUIElementRef ref = refOf(element);
    const CFText name(action);
    if (ref == nullptr || name.get() == nullptr) {
        return kAXErrorIllegalArgument;
    }
    return AXUIElementPerformAction(ref, name.get());
}

}  // namespace stowbar
