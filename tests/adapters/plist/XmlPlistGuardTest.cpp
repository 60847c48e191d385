#include "adapters/plist/XmlPlistGuard.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "BinaryPlistBuilder.hpp"

namespace stowbar::plist {
namespace {

using testing::repeat;

XmlPlistCheck check(const std::string& text, const XmlPlistLimits& limits = {}) {
    return checkXmlPlist({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()}, limits);
}

TEST(XmlPlistGuard, CountsEveryStartTagIncludingSelfClosingOnesButNoEndTags) {
    const auto result = check("<?xml?><plist><array><true/><string>a</string></array></plist>");
    EXPECT_EQ(result.verdict, XmlPlistVerdict::Accepted);
    EXPECT_EQ(result.startTags, 5u);
}

// Each limit is inclusive. Ten ampersands in ten bytes cost 100, eleven in eleven bytes 121;
// many keys make libplist's dictionary insertion quadratic.
TEST(XmlPlistGuard, RefusesDocumentsBeyondEachLimitAndNulBytes) {
    const XmlPlistLimits small{3, 1, 100};
    struct Case {
        std::string text;
        XmlPlistLimits limits;
        XmlPlistVerdict verdict;
    };
    const Case cases[] = {
        {"<a><b><c>", small, XmlPlistVerdict::Accepted},
        {"<a><b><c><d>", small, XmlPlistVerdict::TooManyElements},
        {"<key><key>", small, XmlPlistVerdict::TooManyKeys},
        {repeat("&", 10), small, XmlPlistVerdict::Accepted},
        {repeat("&", 11), small, XmlPlistVerdict::TooManyReferences},
        {"<plist><dict>" + repeat("<key>k</key><true/>", (1u << 17) + 1) + "</dict></plist>",
         {},
         XmlPlistVerdict::TooManyKeys},
        {"<string>" + repeat("&amp;", 1u << 16) + std::string(1u << 22, 'x'),
         {},
         XmlPlistVerdict::TooManyReferences},
        {"<string>" + repeat("&amp;", 1000) + "</string>", {}, XmlPlistVerdict::Accepted},
        {std::string("<plist><string>a\0b</string></plist>", 35),
         {},
         XmlPlistVerdict::NulCharacter},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(check(c.text, c.limits).verdict, c.verdict) << c.text.substr(0, 40);
    }
}

}  // namespace
}  // namespace stowbar::plist
