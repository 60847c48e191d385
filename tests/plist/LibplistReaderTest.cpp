#include "adapters/plist/LibplistReader.hpp"

#include <gtest/gtest.h>
#include <plist/plist.h>

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <string>

#include "BinaryPlistBuilder.hpp"
#include "platform/PropertyList.hpp"

namespace stowbar {
namespace {

using plist::testing::Bytes;

struct TreeDeleter {
    void operator()(void* node) const { plist_free(static_cast<plist_t>(node)); }
};
using Tree = std::unique_ptr<void, TreeDeleter>;

enum class Format { Binary, Xml };

Bytes serialize(plist_t root, Format format) {
    char* out = nullptr;
    std::uint32_t length = 0;
    if (format == Format::Binary) {
        plist_to_bin(root, &out, &length);
    } else {
        plist_to_xml(root, &out, &length);
    }
    Bytes bytes(out, out + length);
    format == Format::Binary ? plist_to_bin_free(out) : plist_to_xml_free(out);
    return bytes;
}

Bytes text(const std::string& value) {
    return {value.begin(), value.end()};
}

std::optional<PlistValue> read(const Bytes& bytes) {
    return LibplistReader{}.parse(bytes);
}

const std::string kUnicode = "h\xC3\xA9llo \xE2\x9C\x93 \xF0\x9F\x98\x80";

// Every kind of value, written by libplist in both formats, reads as the matching alternative;
// a dictionary keeps its keys in file order.
TEST(LibplistReader, ReadsEveryKindOfValueInBothFormats) {
    using Int = std::int64_t;
    using Limits = std::numeric_limits<Int>;
    const Tree tree(plist_new_array());
    const auto add = [&](plist_t node) {
        plist_array_append_item(tree.get(), node);
    };
    add(plist_new_bool(1));
    add(plist_new_uint(static_cast<std::uint64_t>(-1)));
    add(plist_new_uint(static_cast<std::uint64_t>(Limits::min())));
    add(plist_new_uint(static_cast<std::uint64_t>(Limits::max())));
    add(plist_new_real(-0.25));
    add(plist_new_string(kUnicode.c_str()));
    add(plist_new_data("a\0b\0", 4));
    add(plist_new_date(-86400, 0));
    plist_t dictionary = plist_new_dict();
    plist_dict_set_item(dictionary, "zebra", plist_new_uint(1));
    plist_dict_set_item(dictionary, "apple", plist_new_array());
    plist_dict_set_item(dictionary, "mango", plist_new_dict());
    add(dictionary);
    using Value = PlistValue;
    const Value expected{Value::Array{
        Value{true}, Value{Int{-1}}, Value{Limits::min()}, Value{Limits::max()}, Value{-0.25},
        Value{kUnicode}, Value{Value::Data{'a', 0, 'b', 0}}, Value{Value::Date{-86400}},
        Value{Value::Dictionary{{"zebra", Value{Int{1}}},
                                {"apple", Value{Value::Array{}}},
                                {"mango", Value{Value::Dictionary{}}}}}}};
    for (const Format format : {Format::Binary, Format::Xml}) {
        EXPECT_EQ(read(serialize(tree.get(), format)), expected)
            << (format == Format::Binary ? "binary" : "XML");
    }
}

TEST(LibplistReader, ReadsXmlDatesToTheWholeSecond) {
    const auto value = read(text(
        "<?xml version=\"1.0\"?><plist version=\"1.0\"><date>2000-12-31T23:59:00Z</date></plist>"));
    EXPECT_EQ(value, PlistValue{PlistValue::Date{-60}});
}

std::string nestedXmlArrays(std::size_t depth) {
    std::string out = "<?xml version=\"1.0\"?><plist version=\"1.0\">";
    for (std::size_t i = 0; i < depth; ++i) {
        out += "<array>";
    }
    for (std::size_t i = 0; i < depth; ++i) {
        out += "</array>";
    }
    return out + "</plist>";
}

// 1 + 1025 arrays + 1025 * 1023 booleans = 2^20 + 1025 values, few enough elements for the
// byte-level check, so the bound is applied while converting.
std::string xmlBeyondTheNodeBound() {
    std::string inner = "<array>";
    for (int i = 0; i < 1023; ++i) {
        inner += "<true/>";
    }
    inner += "</array>";
    std::string document = "<plist><array>";
    for (int i = 0; i < 1025; ++i) {
        document += inner;
    }
    return document + "</array></plist>";
}

Bytes truncatedBinary() {
    const Tree tree(plist_new_dict());
    plist_dict_set_item(tree.get(), "zebra", plist_new_uint(1));
    Bytes bytes = serialize(tree.get(), Format::Binary);
    bytes.resize(bytes.size() - 5);
    return bytes;
}

Bytes xmlWithANulByte() {
    Bytes bytes = text("<plist><dict><key>a_b</key><true/></dict></plist>");
    bytes[19] = 0;
    return bytes;
}

// Malformed input, and the port's bounds at their edges in both formats. Depth counts the
// values on the longest path from the top: 512 nested arrays, the innermost empty, are exactly
// at the limit; 19 doublings make 2^20 - 1 values, 20 make one level too many.
TEST(LibplistReader, ReadsOnlyWellFormedInputWithinThePortsBounds) {
    struct Case {
        const char* name;
        std::function<Bytes()> make;
        bool accepted;
    };
    const Case cases[] = {
        {"empty", [] { return Bytes{}; }, false},
        {"neither format", [] { return text("\x01\x02garbage\xff"); }, false},
        {"truncated binary", truncatedBinary, false},
        {"truncated XML", [] { return text("<plist><array><true/>"); }, false},
        {"XML with a NUL byte", xmlWithANulByte, false},
        {"XML entity declarations",
         [] {
             return text(
                 "<?xml version=\"1.0\"?><!DOCTYPE p [<!ENTITY a \"aaaa\">"
                 "<!ENTITY b \"&a;&a;&a;\">]><plist><string>&b;</string></plist>");
         },
         false},
        {"XML integer 2^64 - 1",
         [] { return text("<plist><integer>18446744073709551615</integer></plist>"); }, false},
        {"XML integer 2^63",
         [] { return text("<plist><integer>9223372036854775808</integer></plist>"); }, false},
        {"binary depth 512", [] { return plist::testing::nestedArrays(512); }, true},
        {"binary depth 513", [] { return plist::testing::nestedArrays(513); }, false},
        {"XML depth 512", [] { return text(nestedXmlArrays(512)); }, true},
        {"XML depth 513", [] { return text(nestedXmlArrays(513)); }, false},
        {"XML depth 200000", [] { return text(nestedXmlArrays(200000)); }, false},
        {"binary 2^20 - 1 values", [] { return plist::testing::doublingReferences(19); }, true},
        {"binary 2^21 - 1 values", [] { return plist::testing::doublingReferences(20); }, false},
        {"XML 2^20 + 1025 values", [] { return text(xmlBeyondTheNodeBound()); }, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(read(c.make()).has_value(), c.accepted) << c.name;
    }
}

}  // namespace
}  // namespace stowbar
