// How the macOS adapters turn Apple's values into the port's, checked with values made here:
// Accessibility attribute values (AXValueCreate and elements of this very process need no
// Accessibility trust and no other application) and a window frame turned from AppKit's
// bottom-left origin to Qt's top-left one.

#include <ApplicationServices/ApplicationServices.h>
#include <CoreFoundation/CoreFoundation.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "adapters/macos/AppKitScreenFrame.hpp"
#include "adapters/macos/MacAXValueTranslation.hpp"

namespace stowbar::conformance {
namespace {

template <typename T>
CFTypeRef axValueOf(AXValueType type, T value) {
    return AXValueCreate(type, &value);
}

CFTypeRef textOf(const std::string& text) {
    return CFStringCreateWithBytes(kCFAllocatorDefault, reinterpret_cast<const UInt8*>(text.data()),
                                   static_cast<CFIndex>(text.size()), kCFStringEncodingUTF8, false);
}

// An array of `members`, which it retains; the members' own references are released here.
CFTypeRef arrayOf(std::vector<CFTypeRef> members) {
    CFArrayRef array = CFArrayCreate(kCFAllocatorDefault, members.data(),
                                     static_cast<CFIndex>(members.size()), &kCFTypeArrayCallBacks);
    for (CFTypeRef member : members) {
        CFRelease(member);
    }
    return array;
}

CFTypeRef thisApplication() {
    return AXUIElementCreateApplication(getpid());
}

// Points and sizes keep their two numbers; rects and ranges keep only their kind, which is all
// the program asks of them.
TEST(MacAXValueTranslation, GivesPointsSizesRectsAndRangesTheirKind) {
    struct Case {
        const char* name;
        CFTypeRef value;
        AXValue expected;
    };
    const std::array cases{
        Case{"point", axValueOf(kAXValueTypeCGPoint, CGPoint{12.5, -3}),
             AXValue{AXValue::Type::point, 12.5, -3}},
        Case{"size", axValueOf(kAXValueTypeCGSize, CGSize{22, 24}),
             AXValue{AXValue::Type::size, 22, 24}},
        Case{"rect", axValueOf(kAXValueTypeCGRect, CGRect{CGPoint{1, 2}, CGSize{3, 4}}),
             AXValue{AXValue::Type::rect, 0, 0}},
        Case{"range", axValueOf(kAXValueTypeCFRange, CFRange{5, 6}),
             AXValue{AXValue::Type::range, 0, 0}},
    };
    for (const Case& each : cases) {
        SCOPED_TRACE(each.name);
        ASSERT_NE(each.value, nullptr);
        const AXAttributeValue translated = translateAttributeValue(each.value, 0);
        ASSERT_TRUE(std::holds_alternative<AXValue>(translated));
        const auto& value = std::get<AXValue>(translated);
        EXPECT_EQ(value.type, each.expected.type);
        EXPECT_EQ(value.first, each.expected.first);
        EXPECT_EQ(value.second, each.expected.second);
    }
}

// An element, and an array only of elements, become handles, one per element; an array with
// anything else in it, and any other kind of value, is "other".
TEST(MacAXValueTranslation, GivesElementsAndArraysOfElementsAsHandlesAndAnythingElseAsOther) {
    enum class Kind : std::uint8_t { element, elements, other };
    struct Case {
        const char* name;
        CFTypeRef value;
        Kind kind;
        std::size_t elements = 0;
    };
    const std::array cases{
        Case{"element", thisApplication(), Kind::element},
        Case{"elements", arrayOf({thisApplication(), thisApplication()}), Kind::elements, 2},
        Case{"no elements", arrayOf({}), Kind::elements, 0},
        Case{"element and text", arrayOf({thisApplication(), textOf("AXButton")}), Kind::other},
        Case{"text", textOf("AXButton"), Kind::other},
    };
    for (const Case& each : cases) {
        SCOPED_TRACE(each.name);
        ASSERT_NE(each.value, nullptr);
        const AXAttributeValue translated = translateAttributeValue(each.value, 0.1F);
        if (each.kind == Kind::element) {
            ASSERT_TRUE(std::holds_alternative<AXElement>(translated));
            EXPECT_NE(std::get<AXElement>(translated), nullptr);
        } else if (each.kind == Kind::other) {
            EXPECT_TRUE(std::holds_alternative<AXOtherValue>(translated));
        } else {
            ASSERT_TRUE(std::holds_alternative<std::vector<AXElement>>(translated));
            const auto& handles = std::get<std::vector<AXElement>>(translated);
            EXPECT_EQ(handles.size(), each.elements);
            for (const AXElement& handle : handles) {
                EXPECT_NE(handle, nullptr);
            }
        }
    }
}

// The main display is 1512 × 982 points; a second one of 1920 × 1080 sits above it, and a
// third one below it.
TEST(AppKitScreenFrame, MeasuresFromTheMainDisplaysTopLeftWithYGrowingDownwards) {
    struct Case {
        const char* name;
        Rect appKit;
        Rect expected;
    };
    const Rect mainDisplay{Point{0, 0}, Size{1512, 982}};
    const std::array cases{
        Case{"in the main display's menu bar", Rect{Point{1200, 958}, Size{30, 24}},
             Rect{Point{1200, 0}, Size{30, 24}}},
        Case{"at the main display's bottom", Rect{Point{10, 0}, Size{40, 20}},
             Rect{Point{10, 962}, Size{40, 20}}},
        Case{"in the menu bar of a display above", Rect{Point{300, 2038}, Size{30, 24}},
             Rect{Point{300, -1080}, Size{30, 24}}},
        Case{"on a display below", Rect{Point{-400, -500}, Size{100, 50}},
             Rect{Point{-400, 1432}, Size{100, 50}}},
    };
    for (const Case& each : cases) {
        SCOPED_TRACE(each.name);
        const Rect frame = topLeftFrame(mainDisplay, each.appKit);
        EXPECT_EQ(frame.origin, each.expected.origin);
        EXPECT_EQ(frame.size, each.expected.size);
    }
}

}  // namespace
}  // namespace stowbar::conformance
