#include "adapters/plist/BinaryPlistDecoder.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "BinaryPlistBuilder.hpp"
#include "platform/PropertyList.hpp"

namespace stowbar::plist {
namespace {

using testing::BinaryPlistBuilder;
using testing::Bytes;

std::optional<PlistValue> decodeObject(Bytes object) {
    BinaryPlistBuilder builder;
    return decodeBinaryPlist(builder.build(builder.add(std::move(object))));
}

Bytes sixteenByteInteger(std::uint8_t highFill, std::uint64_t low) {
    Bytes object{0x14};
    object.insert(object.end(), 8, highFill);
    testing::appendBigEndian(object, low, 8);
    return object;
}

struct DecodeCase {
    std::string name;
    Bytes object;
    std::optional<PlistValue> expected;
};

class DecoderReadsObjects : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(DecoderReadsObjects, AsTheFileStoresThem) {
    EXPECT_EQ(decodeObject(GetParam().object), GetParam().expected);
}

PlistValue text(const std::string& value) {
    return PlistValue{value};
}

INSTANTIATE_TEST_SUITE_P(
    Table, DecoderReadsObjects,
    ::testing::Values(
        DecodeCase{"FourByteIntegerIsUnsigned",
                   {0x12, 0xFF, 0xFF, 0xFF, 0xFF},
                   PlistValue{std::int64_t{0xFFFFFFFF}}},
        DecodeCase{"EightByteIntegerIsSigned",
                   {0x13, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE},
                   PlistValue{std::int64_t{-2}}},
        DecodeCase{"SixteenByteSmallInteger", sixteenByteInteger(0x00, 5),
                   PlistValue{std::int64_t{5}}},
        DecodeCase{"SixteenByteNegativeInteger", sixteenByteInteger(0xFF, ~std::uint64_t{0}),
                   PlistValue{std::int64_t{-1}}},
        DecodeCase{"SixteenByteIntegerBeyondSigned64Bits",
                   sixteenByteInteger(0x00, ~std::uint64_t{0}), std::nullopt},
        DecodeCase{"FourByteRealWidens", {0x22, 0x3F, 0xC0, 0x00, 0x00}, PlistValue{1.5}},
        DecodeCase{"DateWithNegativeFraction",
                   {0x33, 0xBF, 0xE0, 0, 0, 0, 0, 0, 0},
                   PlistValue{PlistValue::Date{-0.5}}},
        DecodeCase{"Uid", {0x81, 0x01, 0x00}, PlistValue{std::int64_t{256}}},
        DecodeCase{"AsciiStringKeepsNul", {0x53, 'a', 0, 'b'}, text(std::string("a\0b", 3))},
        DecodeCase{"EmptyUtf16String", {0x60}, text("")},
        DecodeCase{"Utf16SurrogatePair", {0x62, 0xD8, 0x3D, 0xDE, 0x00}, text("\xF0\x9F\x98\x80")},
        DecodeCase{"Utf16LoneSurrogateBecomesReplacement",
                   {0x62, 0xD8, 0x00, 0x00, 'a'},
                   text("\xEF\xBF\xBD"
                        "a")},
        DecodeCase{"Utf16ThreeByteCharacter", {0x61, 0x27, 0x13}, text("\xE2\x9C\x93")}),
    [](const auto& testInfo) { return testInfo.param.name; });

TEST(BinaryPlistDecoder, KeepsKeysWithNulAndRepeatedKeysInFileOrder) {
    BinaryPlistBuilder builder;
    const auto nulKey = builder.add({0x62, 0, 'a', 0, 0});
    const auto plainKey = builder.ascii("k");
    const auto one = builder.integer(1);
    const auto two = builder.integer(2);
    const auto top = builder.dictionary({{nulKey, one}, {plainKey, one}, {plainKey, two}});
    const auto value = decodeBinaryPlist(builder.build(top));
    ASSERT_TRUE(value);
    const PlistValue expected{
        PlistValue::Dictionary{{std::string("a\0", 2), PlistValue{std::int64_t{1}}},
                               {"k", PlistValue{std::int64_t{1}}},
                               {"k", PlistValue{std::int64_t{2}}}}};
    EXPECT_EQ(*value, expected);
}

TEST(BinaryPlistDecoder, ExpandsASharedObjectAtEveryReference) {
    const auto value = decodeBinaryPlist(testing::doublingReferences(2));
    const PlistValue pair{PlistValue::Array{PlistValue{true}, PlistValue{true}}};
    const PlistValue expected{PlistValue::Array{pair, pair}};
    EXPECT_EQ(value, expected);
}

}  // namespace
}  // namespace stowbar::plist
