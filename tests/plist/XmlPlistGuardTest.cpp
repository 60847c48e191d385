#include "adapters/plist/XmlPlistGuard.hpp"

#include <gtest/gtest.h>

#include <string>

namespace stowbar::plist {
namespace {

XmlPlistCheck check(const std::string& text, const XmlPlistLimits& limits = {}) {
    return checkXmlPlist({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()}, limits);
}

std::string repeat(const std::string& piece, std::size_t times) {
    std::string out;
    out.reserve(piece.size() * times);
    for (std::size_t i = 0; i < times; ++i) {
        out += piece;
    }
    return out;
}

TEST(XmlPlistGuard, CountsEveryStartTagIncludingSelfClosingOnesButNoEndTags) {
    const auto result = check("<?xml?><plist><array><true/><string>a</string></array></plist>");
    EXPECT_EQ(result.verdict, XmlPlistVerdict::Accepted);
    EXPECT_EQ(result.startTags, 5u);
}

TEST(XmlPlistGuard, AppliesEachLimitInclusively) {
    const XmlPlistLimits limits{3, 1, 100};
    EXPECT_EQ(check("<a><b><c>", limits).verdict, XmlPlistVerdict::Accepted);
    EXPECT_EQ(check("<a><b><c><d>", limits).verdict, XmlPlistVerdict::TooManyElements);
    EXPECT_EQ(check("<key><key>", limits).verdict, XmlPlistVerdict::TooManyKeys);
    // Ten bytes: ten ampersands cost 100, eleven in eleven bytes cost 121.
    EXPECT_EQ(check(repeat("&", 10), limits).verdict, XmlPlistVerdict::Accepted);
    EXPECT_EQ(check(repeat("&", 11), limits).verdict, XmlPlistVerdict::TooManyReferences);
}

TEST(XmlPlistGuard, RefusesADictionaryTooLargeForLibplistsQuadraticInsertion) {
    const std::string body = repeat("<key>k</key><true/>", (1u << 17) + 1);
    EXPECT_EQ(check("<plist><dict>" + body + "</dict></plist>").verdict,
              XmlPlistVerdict::TooManyKeys);
}

TEST(XmlPlistGuard, RefusesManyCharacterReferencesInALargeDocument) {
    const std::string text = "<string>" + repeat("&amp;", 1u << 16) + std::string(1u << 22, 'x');
    EXPECT_EQ(check(text).verdict, XmlPlistVerdict::TooManyReferences);
    EXPECT_EQ(check("<string>" + repeat("&amp;", 1000) + "</string>").verdict,
              XmlPlistVerdict::Accepted);
}

TEST(XmlPlistGuard, RefusesNulBytes) {
    EXPECT_EQ(check(std::string("<plist><string>a\0b</string></plist>", 35)).verdict,
              XmlPlistVerdict::NulCharacter);
}

}  // namespace
}  // namespace stowbar::plist
