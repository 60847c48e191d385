#include "adapters/plist/LibplistReader.hpp"

#include <gtest/gtest.h>
#include <plist/plist.h>

#include <cstdlib>
#include <functional>
#include <limits>
#include <memory>
#include <string>

#include "BinaryPlistBuilder.hpp"

namespace stowbar {
namespace {

using plist::testing::BinaryPlistBuilder;
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

PlistValue::Array arrayOf(std::initializer_list<PlistValue> values) {
    return values;
}

struct WellFormedCase {
    std::string name;
    std::function<plist_t()> make;
    PlistValue expected;
};

std::string formatName(Format format) {
    return format == Format::Binary ? "Binary" : "Xml";
}

class ReaderDecodesEveryKind : public ::testing::TestWithParam<std::tuple<WellFormedCase, Format>> {
};

TEST_P(ReaderDecodesEveryKind, AsTheMatchingAlternative) {
    const auto& [testCase, format] = GetParam();
    const Tree tree(testCase.make());
    const auto value = read(serialize(tree.get(), format));
    ASSERT_TRUE(value.has_value());
    EXPECT_EQ(*value, testCase.expected);
}

plist_t dictionaryInOrder() {
    plist_t dictionary = plist_new_dict();
    plist_dict_set_item(dictionary, "zebra", plist_new_uint(1));
    plist_dict_set_item(dictionary, "apple", plist_new_bool(1));
    plist_dict_set_item(dictionary, "mango", plist_new_string("m"));
    return dictionary;
}

const std::string kUnicode = "h\xC3\xA9llo \xE2\x9C\x93 \xF0\x9F\x98\x80";

INSTANTIATE_TEST_SUITE_P(
    Table, ReaderDecodesEveryKind,
    ::testing::Combine(
        ::testing::Values(
            WellFormedCase{"True", [] { return plist_new_bool(1); }, PlistValue{true}},
            WellFormedCase{"False", [] { return plist_new_bool(0); }, PlistValue{false}},
            WellFormedCase{"Zero", [] { return plist_new_uint(0); }, PlistValue{std::int64_t{0}}},
            WellFormedCase{"PositiveInteger", [] { return plist_new_uint(300000); },
                           PlistValue{std::int64_t{300000}}},
            WellFormedCase{"MinusOne",
                           [] { return plist_new_uint(static_cast<std::uint64_t>(-1)); },
                           PlistValue{std::int64_t{-1}}},
            WellFormedCase{"SmallestInteger",
                           [] {
                               return plist_new_uint(static_cast<std::uint64_t>(
                                   std::numeric_limits<std::int64_t>::min()));
                           },
                           PlistValue{std::numeric_limits<std::int64_t>::min()}},
            WellFormedCase{"LargestInteger",
                           [] {
                               return plist_new_uint(static_cast<std::uint64_t>(
                                   std::numeric_limits<std::int64_t>::max()));
                           },
                           PlistValue{std::numeric_limits<std::int64_t>::max()}},
            WellFormedCase{"Real", [] { return plist_new_real(-0.25); }, PlistValue{-0.25}},
            WellFormedCase{"EmptyString", [] { return plist_new_string(""); },
                           PlistValue{std::string()}},
            WellFormedCase{"UnicodeString", [] { return plist_new_string(kUnicode.c_str()); },
                           PlistValue{kUnicode}},
            WellFormedCase{"DataWithNulBytes",
                           [] { return plist_new_data("a\0b\0", 4); },
                           PlistValue{PlistValue::Data{'a', 0, 'b', 0}}},
            WellFormedCase{"EmptyData", [] { return plist_new_data("", 0); },
                           PlistValue{PlistValue::Data{}}},
            WellFormedCase{"WholeSecondDateBeforeTheEpoch",
                           [] { return plist_new_date(-86400, 0); },
                           PlistValue{PlistValue::Date{-86400}}},
            WellFormedCase{"EmptyArray", [] { return plist_new_array(); },
                           PlistValue{PlistValue::Array{}}},
            WellFormedCase{"EmptyDictionary", [] { return plist_new_dict(); },
                           PlistValue{PlistValue::Dictionary{}}},
            WellFormedCase{"DictionaryKeepsKeyOrder", dictionaryInOrder,
                           PlistValue{PlistValue::Dictionary{
                               {"zebra", PlistValue{std::int64_t{1}}},
                               {"apple", PlistValue{true}},
                               {"mango", PlistValue{std::string("m")}}}}},
            WellFormedCase{"NestedContainers",
                           [] {
                               plist_t outer = plist_new_array();
                               plist_array_append_item(outer, plist_new_array());
                               plist_t inner = plist_new_dict();
                               plist_dict_set_item(inner, "k", plist_new_array());
                               plist_array_append_item(outer, inner);
                               return outer;
                           },
                           PlistValue{arrayOf(
                               {PlistValue{PlistValue::Array{}},
                                PlistValue{PlistValue::Dictionary{
                                    {"k", PlistValue{PlistValue::Array{}}}}}})}}),
        ::testing::Values(Format::Binary, Format::Xml)),
    [](const auto& testInfo) {
        return std::get<0>(testInfo.param).name + formatName(std::get<1>(testInfo.param));
    });

TEST(LibplistReader, KeepsTheExactFractionOfABinaryDate) {
    // -0.5 and -1.25 seconds: libplist's own getter reports the first as +0.5.
    for (const auto& [seconds, microseconds, expected] :
         {std::tuple{-1, 500000, -0.5}, std::tuple{-2, 750000, -1.25},
          std::tuple{10, 250000, 10.25}}) {
        const Tree tree(plist_new_date(seconds, microseconds));
        EXPECT_EQ(read(serialize(tree.get(), Format::Binary)),
                  PlistValue{PlistValue::Date{expected}});
    }
}

TEST(LibplistReader, ReadsXmlDatesToTheWholeSecond) {
    const auto value = read(text(
        "<?xml version=\"1.0\"?><plist version=\"1.0\"><date>2000-12-31T23:59:00Z</date></plist>"));
    EXPECT_EQ(value, PlistValue{PlistValue::Date{-60}});
}

TEST(LibplistReader, ReadsAUidAsAnInteger) {
    const Tree tree(plist_new_uid(7));
    EXPECT_EQ(read(serialize(tree.get(), Format::Binary)), PlistValue{std::int64_t{7}});
}

TEST(LibplistReader, RefusesIntegersBeyondSigned64Bits) {
    EXPECT_FALSE(read(text("<plist><integer>18446744073709551615</integer></plist>")));
    EXPECT_FALSE(read(text("<plist><integer>9223372036854775808</integer></plist>")));
    EXPECT_EQ(read(text("<plist><integer>-9223372036854775808</integer></plist>")),
              PlistValue{std::numeric_limits<std::int64_t>::min()});

    BinaryPlistBuilder builder;
    Bytes sixteenBytes{0x14};
    sixteenBytes.insert(sixteenBytes.end(), 8, 0x00);
    sixteenBytes.insert(sixteenBytes.end(), 8, 0xFF);
    EXPECT_FALSE(read(builder.build(builder.add(sixteenBytes))));
}

TEST(LibplistReader, ReadsAControlCenterShapedFileAndItsNestedBlob) {
    plist_t location = plist_new_dict();
    plist_t bundle = plist_new_dict();
    plist_dict_set_item(bundle, "_0", plist_new_string("com.example.app"));
    plist_dict_set_item(location, "bundle", bundle);
    plist_t entry = plist_new_dict();
    plist_dict_set_item(entry, "isAllowed", plist_new_bool(0));
    plist_dict_set_item(entry, "location", location);
    const Tree entries(plist_new_array());
    plist_array_append_item(entries.get(), entry);
    const Bytes blob = serialize(entries.get(), Format::Binary);

    const Tree outer(plist_new_dict());
    plist_dict_set_item(outer.get(), "trackedApplications",
                        plist_new_data(reinterpret_cast<const char*>(blob.data()), blob.size()));
    const auto file = read(serialize(outer.get(), Format::Xml));
    ASSERT_TRUE(file);
    const auto* data = file->find("trackedApplications")->as<PlistValue::Data>();
    ASSERT_NE(data, nullptr);
    const auto apps = read(*data);
    ASSERT_TRUE(apps);
    const auto& first = apps->as<PlistValue::Array>()->at(0);
    EXPECT_EQ(first.find("isAllowed")->as<bool>() != nullptr, true);
    EXPECT_EQ(*first.find("location")->find("bundle")->find("_0")->as<std::string>(),
              "com.example.app");
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

TEST(LibplistReader, AcceptsDepthAtTheLimitAndRefusesOneMoreInBothFormats) {
    // Depth counts the values on the longest path from the top: 512 nested arrays, the
    // innermost empty, are exactly at the limit.
    EXPECT_TRUE(read(plist::testing::nestedArrays(512)));
    EXPECT_TRUE(read(plist::testing::nestedArrays(511, 1)));
    EXPECT_FALSE(read(plist::testing::nestedArrays(513)));
    EXPECT_FALSE(read(plist::testing::nestedArrays(512, 1)));
    EXPECT_TRUE(read(text(nestedXmlArrays(512))));
    EXPECT_FALSE(read(text(nestedXmlArrays(513))));
}

TEST(LibplistReader, RefusesAHundredThousandNestedBinaryDictionaries) {
    BinaryPlistBuilder builder;
    const auto key = builder.ascii("k");
    std::uint64_t current = builder.dictionary({});
    for (int level = 1; level < 100000; ++level) {
        current = builder.dictionary({{key, current}});
    }
    EXPECT_FALSE(read(builder.build(current)));
}

TEST(LibplistReader, RefusesTwoHundredThousandNestedXmlArrays) {
    EXPECT_FALSE(read(text(nestedXmlArrays(200000))));
}

TEST(LibplistReader, RefusesTheDoublingReferenceBomb) {
    EXPECT_FALSE(read(plist::testing::doublingReferences(30)));
}

TEST(LibplistReader, AcceptsTheLargestTreeWithinTheNodeBound) {
    const auto value = read(plist::testing::doublingReferences(19));
    ASSERT_TRUE(value);
    EXPECT_EQ(value->as<PlistValue::Array>()->size(), 2u);
}

TEST(LibplistReader, RefusesAnXmlDocumentWithMoreValuesThanTheNodeBound) {
    // 1 + 1025 arrays + 1025 * 1023 booleans = 2^20 + 1025 values, few enough elements for
    // the byte-level check, so the bound is applied while converting.
    std::string inner = "<array>";
    for (int i = 0; i < 1023; ++i) {
        inner += "<true/>";
    }
    inner += "</array>";
    std::string document = "<plist><array>";
    for (int i = 0; i < 1025; ++i) {
        document += inner;
    }
    EXPECT_FALSE(read(text(document + "</array></plist>")));
}

struct HostileCase {
    std::string name;
    std::function<Bytes()> make;
};

class ReaderRefusesHostileInput : public ::testing::TestWithParam<HostileCase> {};

TEST_P(ReaderRefusesHostileInput, WithoutAValue) {
    EXPECT_FALSE(read(GetParam().make()));
}

Bytes validBinary() {
    const Tree tree(dictionaryInOrder());
    return serialize(tree.get(), Format::Binary);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ReaderRefusesHostileInput,
    ::testing::Values(HostileCase{"Empty",
                                  [] {
                                      return Bytes{};
                                  }},
                      HostileCase{"MagicAlone",
                                  [] {
                                      return text("bplist00");
                                  }},
                      HostileCase{"Garbage",
                                  [] {
                                      return text("\x01\x02garbage\xff");
                                  }},
                      HostileCase{"TruncatedBinary",
                                  [] {
                                      Bytes bytes = validBinary();
                                      bytes.resize(bytes.size() - 5);
                                      return bytes;
                                  }},
                      HostileCase{"BinaryWithItsTrailerCut",
                                  [] {
                                      Bytes bytes = validBinary();
                                      bytes.resize(bytes.size() - 32);
                                      return bytes;
                                  }},
                      HostileCase{"OffsetOutOfRange",
                                  [] {
                                      BinaryPlistBuilder builder;
                                      Bytes bytes = builder.build(builder.boolean(true));
                                      bytes[9] = 0xF0;
                                      return bytes;
                                  }},
                      HostileCase{"ReferenceOutOfRange",
                                  [] {
                                      BinaryPlistBuilder builder;
                                      return builder.build(builder.array({5}));
                                  }},
                      HostileCase{"Cycle",
                                  [] {
                                      BinaryPlistBuilder builder;
                                      const auto loop = builder.add({});
                                      builder.replace(loop, builder.arrayObject({loop}));
                                      return builder.build(loop);
                                  }},
                      HostileCase{"XmlWithANulByte",
                                  [] {
                                      Bytes bytes =
                                          text("<plist><dict><key>a_b</key><true/></dict></plist>");
                                      bytes[19] = 0;
                                      return bytes;
                                  }},
                      HostileCase{"TruncatedXml",
                                  [] {
                                      return text("<plist><array><true/>");
                                  }},
                      HostileCase{
                          "XmlEntityDeclarations",
                          [] {
                              return text(
                                  "<?xml version=\"1.0\"?><!DOCTYPE p [<!ENTITY a \"aaaa\">"
                                  "<!ENTITY b \"&a;&a;&a;\">]><plist><string>&b;</string></plist>");
                          }}),
    [](const auto& testInfo) { return testInfo.param.name; });

}  // namespace
}  // namespace stowbar
