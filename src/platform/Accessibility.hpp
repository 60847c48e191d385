#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>
#include <variant>
#include <vector>

#include "platform/Geometry.hpp"

namespace stowbar {

// An element of another application's user interface. Adapters derive their own kind; the
// core only holds, copies and hands back these reference-counted handles.
class AXUIElement {
  public:
    virtual ~AXUIElement() = default;
};
using AXElement = std::shared_ptr<const AXUIElement>;

// Error codes as the Accessibility interface returns them; 0 is success.
using AXError = std::int32_t;
inline constexpr AXError kAXErrorSuccess = 0;
inline constexpr AXError kAXErrorFailure = -25200;
inline constexpr AXError kAXErrorIllegalArgument = -25201;
inline constexpr AXError kAXErrorInvalidUIElement = -25202;
inline constexpr AXError kAXErrorCannotComplete = -25204;
inline constexpr AXError kAXErrorAttributeUnsupported = -25205;
inline constexpr AXError kAXErrorActionUnsupported = -25206;
inline constexpr AXError kAXErrorAPIDisabled = -25211;
inline constexpr AXError kAXErrorNoValue = -25212;

// A packed geometric value. Unpacking it as a type it does not hold yields zeros.
struct AXValue {
    enum class Type : std::uint8_t { point = 1, size = 2, rect = 3, range = 4, other = 0 };
    Type type = Type::other;
    double first = 0;
    double second = 0;

    Point point() const { return type == Type::point ? Point{first, second} : Point{}; }
    Size size() const { return type == Type::size ? Size{first, second} : Size{}; }
};

// Any value of a kind the program never asks for (a string, a number, ...).
struct AXOtherValue {};

using AXAttributeValue = std::variant<AXOtherValue, AXElement, std::vector<AXElement>, AXValue>;

// The answer to one attribute request: an error code, and on success usually a value. A
// success without a value is possible and callers treat it as a failure.
struct AXAttributeResult {
    AXError error = kAXErrorFailure;
    std::optional<AXAttributeValue> value;
};

// Maps an element to the number of the window that draws it, writing it to the second
// argument; returns an error code.
using AXWindowNumberFunction = std::function<AXError(const AXElement&, std::uint32_t&)>;

// The system's Accessibility interface: trust, elements of other applications, their
// attributes and actions.
//
// Threading: every call is synchronous and may come from any thread, also concurrently
// (a refresh's background job scans and resolves window numbers while a press's background
// job presses an element), and so may the last copy of an element be released on any thread.
// Requests to another application block the calling thread until it answers or the messaging
// timeout of the element's application expires, so the menu bar application makes them on
// background jobs only, and its main thread asks nothing but whether the process is trusted,
// which asks no other application. (The diagnostics report, which has no loop to keep
// responsive, makes them in turn on its one thread.)
class Accessibility {
  public:
    virtual ~Accessibility() = default;

    // Whether this process is trusted for Accessibility, asked without any system prompt.
    virtual bool isProcessTrusted() const = 0;

    // The top-level element of a process. Never fails: an element of a process that is gone
    // only makes later requests fail.
    virtual AXElement applicationElement(std::int32_t pid) = 0;

    // Limits how long each request through `element` waits for its application.
    virtual AXError setMessagingTimeout(const AXElement& element, float seconds) = 0;

    virtual AXAttributeResult copyAttributeValue(const AXElement& element,
                                                 std::string_view attribute) = 0;

    // Looks up the window-number function by name, afresh on every call; absent when the
    // system does not provide it.
    virtual std::optional<AXWindowNumberFunction> windowNumberFunction() = 0;

    virtual AXError performAction(const AXElement& element, std::string_view action) = 0;
};

}  // namespace stowbar
