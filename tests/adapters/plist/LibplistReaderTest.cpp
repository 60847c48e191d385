#include "adapters/plist/LibplistReader.hpp"

#include <gtest/gtest.h>
#include <plist/plist.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <limits>
#include <optional>
#include <string>

#include "BinaryPlistBuilder.hpp"
#include "platform/PropertyList.hpp"
#include "support/PlistBuilder.hpp"

namespace stowbar {
namespace {

using plist::testing::Bytes;
using plist::testing::repeat;
using test::bytesOf;

using test::Plist;

std::optional<PlistValue> read(const Bytes& bytes) {
    return LibplistReader{}.parse(bytes);
}

// Every kind of value, written by libplist in both formats, reads as the matching alternative;
// a dictionary keeps its keys in file order.
TEST(LibplistReader, ReadsEveryKindOfValueInBothFormats) {
    using Int = std::int64_t;
    using Limits = std::numeric_limits<Int>;
    const std::string unicode = "h\xC3\xA9llo \xE2\x9C\x93 \xF0\x9F\x98\x80";
    const auto integer = [](Int value) {
        return Plist::integer(static_cast<std::uint64_t>(value));
    };
    const auto tree = Plist::array(
        {Plist::boolean(true), integer(-1), integer(Limits::min()), integer(Limits::max()),
         Plist::real(-0.25), Plist::string(unicode), Plist::data({'a', 0, 'b', 0}),
         Plist(plist_new_date(-86400, 0)),
         Plist::dict(
             {{"zebra", integer(1)}, {"apple", Plist::array({})}, {"mango", Plist::dict({})}})});
    using Value = PlistValue;
    const Value expected{Value::Array{
        Value{true}, Value{Int{-1}}, Value{Limits::min()}, Value{Limits::max()}, Value{-0.25},
        Value{unicode}, Value{Value::Data{'a', 0, 'b', 0}}, Value{Value::Date{-86400}},
        Value{Value::Dictionary{{"zebra", Value{Int{1}}},
                                {"apple", Value{Value::Array{}}},
                                {"mango", Value{Value::Dictionary{}}}}}}};
    EXPECT_EQ(read(tree.binary()), expected) << "binary";
    EXPECT_EQ(read(tree.xml()), expected) << "XML";
}

TEST(LibplistReader, ReadsXmlDatesToTheWholeSecond) {
    const auto value = read(bytesOf(
        "<?xml version=\"1.0\"?><plist version=\"1.0\"><date>2000-12-31T23:59:00Z</date></plist>"));
    EXPECT_EQ(value, PlistValue{PlistValue::Date{-60}});
}

std::string nestedXmlArrays(std::size_t depth) {
    return "<?xml version=\"1.0\"?><plist version=\"1.0\">" + repeat("<array>", depth) +
           repeat("</array>", depth) + "</plist>";
}

Bytes truncatedBinary() {
    Bytes bytes = Plist::dict({{"zebra", Plist::integer(1)}}).binary();
    bytes.resize(bytes.size() - 5);
    return bytes;
}

Bytes xmlWithANulByte() {
    Bytes bytes = bytesOf("<plist><dict><key>a_b</key><true/></dict></plist>");
    bytes[19] = 0;
    return bytes;
}

// Malformed input, and the port's bounds at their edges in XML. Depth counts the values on the
// longest path from the top: 512 nested arrays, the innermost empty, are exactly at the limit.
// The binary bounds at their edges are the binary guard's own test; one row shows it applied.
TEST(LibplistReader, ReadsOnlyWellFormedInputWithinThePortsBounds) {
    struct Case {
        const char* name;
        std::function<Bytes()> make;
        bool accepted;
    };
    const Case cases[] = {
        {"empty", [] { return Bytes{}; }, false},
        {"neither format", [] { return bytesOf("\x01\x02garbage\xff"); }, false},
        {"truncated binary", truncatedBinary, false},
        {"truncated XML", [] { return bytesOf("<plist><array><true/>"); }, false},
        {"XML with a NUL byte", xmlWithANulByte, false},
        {"XML entity declarations",
         [] {
             return bytesOf(
                 "<?xml version=\"1.0\"?><!DOCTYPE p [<!ENTITY a \"aaaa\">"
                 "<!ENTITY b \"&a;&a;&a;\">]><plist><string>&b;</string></plist>");
         },
         false},
        {"XML integer 2^64 - 1",
         [] { return bytesOf("<plist><integer>18446744073709551615</integer></plist>"); }, false},
        {"XML integer 2^63",
         [] { return bytesOf("<plist><integer>9223372036854775808</integer></plist>"); }, false},
        {"binary depth 513", [] { return plist::testing::nestedArrays(513); }, false},
        {"XML depth 512", [] { return bytesOf(nestedXmlArrays(512)); }, true},
        {"XML depth 513", [] { return bytesOf(nestedXmlArrays(513)); }, false},
        {"XML depth 200000", [] { return bytesOf(nestedXmlArrays(200000)); }, false},
        // 1 + 1025 arrays + 1025 * 1023 booleans = 2^20 + 1025 values, few enough elements for
        // the byte-level check, so the bound is applied while converting.
        {"XML 2^20 + 1025 values",
         [] {
             return bytesOf("<plist><array>" +
                            repeat("<array>" + repeat("<true/>", 1023) + "</array>", 1025) +
                            "</array></plist>");
         },
         false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(read(c.make()).has_value(), c.accepted) << c.name;
    }
}

}  // namespace
}  // namespace stowbar
