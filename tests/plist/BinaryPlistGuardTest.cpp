#include "adapters/plist/BinaryPlistGuard.hpp"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "BinaryPlistBuilder.hpp"

namespace stowbar::plist {
namespace {

using testing::BinaryPlistBuilder;
using testing::Bytes;

BinaryPlistCheck check(const Bytes& bytes, const BinaryPlistLimits& limits = {}) {
    return checkBinaryPlist(bytes, limits);
}

Bytes singleTrue() {
    BinaryPlistBuilder builder;
    return builder.build(builder.boolean(true));
}

// Byte position of a trailer field, counted from the end of the file.
void setTrailerByte(Bytes& bytes, std::size_t fromEnd, std::uint8_t value) {
    bytes[bytes.size() - fromEnd] = value;
}

struct MalformedCase {
    std::string name;
    std::function<Bytes()> make;
};

class GuardRefusesMalformedFiles : public ::testing::TestWithParam<MalformedCase> {};

TEST_P(GuardRefusesMalformedFiles, AsMalformed) {
    EXPECT_EQ(check(GetParam().make()).verdict, BinaryPlistVerdict::Malformed);
}

INSTANTIATE_TEST_SUITE_P(
    Table, GuardRefusesMalformedFiles,
    ::testing::Values(MalformedCase{"Empty",
                                    [] {
                                        return Bytes{};
                                    }},
                      MalformedCase{"MagicAlone",
                                    [] {
                                        return Bytes{'b', 'p', 'l', 'i', 's', 't', '0', '0'};
                                    }},
                      MalformedCase{"OtherVersion",
                                    [] {
                                        Bytes bytes = singleTrue();
                                        bytes[7] = '1';
                                        return bytes;
                                    }},
                      MalformedCase{"TruncatedByOneByte",
                                    [] {
                                        Bytes bytes = singleTrue();
                                        bytes.pop_back();
                                        return bytes;
                                    }},
                      MalformedCase{"ZeroObjects",
                                    [] {
                                        BinaryPlistBuilder builder;
                                        return builder.build(builder.boolean(true), 0);
                                    }},
                      MalformedCase{"MoreObjectsThanTheTableHolds",
                                    [] {
                                        BinaryPlistBuilder builder;
                                        return builder.build(builder.boolean(true), 2);
                                    }},
                      MalformedCase{"TopObjectOutOfRange",
                                    [] {
                                        BinaryPlistBuilder builder;
                                        builder.boolean(true);
                                        return builder.build(1);
                                    }},
                      MalformedCase{"OffsetSizeZero",
                                    [] {
                                        Bytes bytes = singleTrue();
                                        setTrailerByte(bytes, 26, 0);
                                        return bytes;
                                    }},
                      MalformedCase{"ReferenceSizeNine",
                                    [] {
                                        Bytes bytes = singleTrue();
                                        setTrailerByte(bytes, 25, 9);
                                        return bytes;
                                    }},
                      MalformedCase{"TableOffsetInsideTheHeader",
                                    [] {
                                        Bytes bytes = singleTrue();
                                        setTrailerByte(bytes, 1, 4);
                                        return bytes;
                                    }},
                      MalformedCase{"OffsetPointsIntoTheTable",
                                    [] {
                                        Bytes bytes =
                                            singleTrue();  // header, one object, one offset
                                        bytes[9] = 9;
                                        return bytes;
                                    }},
                      MalformedCase{"ReferenceOutOfRange",
                                    [] {
                                        BinaryPlistBuilder builder;
                                        builder.boolean(true);
                                        return builder.build(builder.array({0, 7}));
                                    }},
                      MalformedCase{"StringRunsIntoTheTable",
                                    [] {
                                        BinaryPlistBuilder builder;
                                        return builder.build(builder.add({0x55, 'a', 'b'}));
                                    }},
                      MalformedCase{"ArrayCountLargerThanTheFile",
                                    [] {
                                        BinaryPlistBuilder builder;
                                        Bytes object = BinaryPlistBuilder::marker(0xA, 1u << 30);
                                        object.insert(object.end(), {0, 0, 0, 0});
                                        return builder.build(builder.add(object));
                                    }},
                      MalformedCase{"LengthThatIsNotAnInteger",
                                    [] {
                                        BinaryPlistBuilder builder;
                                        return builder.build(builder.add({0x5F, 0x50, 'a'}));
                                    }},
                      MalformedCase{"NullObject",
                                    [] {
                                        BinaryPlistBuilder builder;
                                        return builder.build(builder.array({builder.add({0x00})}));
                                    }},
                      MalformedCase{"SetObject",
                                    [] {
                                        BinaryPlistBuilder builder;
                                        const auto element = builder.boolean(true);
                                        Bytes set{0xC1, 0, 0, 0, 0};
                                        set[4] = static_cast<std::uint8_t>(element);
                                        return builder.build(builder.add(set));
                                    }},
                      MalformedCase{"Utf8StringObject",
                                    [] {
                                        BinaryPlistBuilder builder;
                                        return builder.build(builder.add({0x71, 'a'}));
                                    }},
                      MalformedCase{"KeyThatIsNotAString",
                                    [] {
                                        BinaryPlistBuilder builder;
                                        const auto key = builder.integer(1);
                                        return builder.build(builder.dictionary({{key, key}}));
                                    }},
                      MalformedCase{"GarbageAfterTheMagic",
                                    [] {
                                        Bytes bytes{'b', 'p', 'l', 'i', 's', 't', '0', '0'};
                                        for (int i = 0; i < 64; ++i) {
                                            bytes.push_back(static_cast<std::uint8_t>(i * 37 + 11));
                                        }
                                        return bytes;
                                    }}),
    [](const auto& testInfo) { return testInfo.param.name; });

TEST(BinaryPlistGuard, AcceptsAScalarTopObjectAtDepthOne) {
    const auto result = check(singleTrue());
    EXPECT_EQ(result.verdict, BinaryPlistVerdict::Accepted);
    EXPECT_EQ(result.depth, 1);
    EXPECT_EQ(result.nodes, 1u);
}

TEST(BinaryPlistGuard, CountsASharedObjectOncePerReference) {
    const auto result = check(testing::doublingReferences(3));
    ASSERT_EQ(result.verdict, BinaryPlistVerdict::Accepted);
    EXPECT_EQ(result.nodes, 15u);
    EXPECT_EQ(result.depth, 4);
}

TEST(BinaryPlistGuard, CountsKeysAndSharedStringsAsPayloadButKeysNotAsNodes) {
    BinaryPlistBuilder builder;
    const auto key = builder.ascii("key");
    const auto text = builder.ascii("0123456789");
    const auto utf16 = builder.add({0x62, 0x00, 'a', 0x00, 'b'});
    const auto top = builder.dictionary({{key, builder.array({text, text, utf16})}});
    const auto result = check(builder.build(top));
    ASSERT_EQ(result.verdict, BinaryPlistVerdict::Accepted);
    EXPECT_EQ(result.nodes, 5u);
    EXPECT_EQ(result.payloadBytes, 3u + 20u + 6u);
}

TEST(BinaryPlistGuard, AcceptsDepthAtTheLimitAndRefusesOneMore) {
    EXPECT_EQ(check(testing::nestedArrays(512)).verdict, BinaryPlistVerdict::Accepted);
    EXPECT_EQ(check(testing::nestedArrays(511, 1)).verdict, BinaryPlistVerdict::Accepted);
    EXPECT_EQ(check(testing::nestedArrays(513)).verdict, BinaryPlistVerdict::TooDeep);
    EXPECT_EQ(check(testing::nestedArrays(512, 1)).verdict, BinaryPlistVerdict::TooDeep);
}

TEST(BinaryPlistGuard, MeasuresDepthOfASharedObjectAtItsDeepestUse) {
    // The deep chain is first met right under the top object, then again 20 levels down.
    BinaryPlistBuilder builder;
    std::uint64_t chain = builder.array({});
    for (int level = 1; level < 500; ++level) {
        chain = builder.array({chain});
    }
    std::uint64_t detour = chain;
    for (int level = 0; level < 20; ++level) {
        detour = builder.array({detour});
    }
    const auto top = builder.array({chain, detour});
    EXPECT_EQ(check(builder.build(top)).verdict, BinaryPlistVerdict::TooDeep);
}

TEST(BinaryPlistGuard, RefusesAHundredThousandNestedDictionaries) {
    BinaryPlistBuilder builder;
    const auto key = builder.ascii("k");
    std::uint64_t current = builder.dictionary({});
    for (int level = 1; level < 100000; ++level) {
        current = builder.dictionary({{key, current}});
    }
    EXPECT_EQ(check(builder.build(current)).verdict, BinaryPlistVerdict::TooDeep);
}

TEST(BinaryPlistGuard, RefusesTheDoublingReferenceBombBeforeExpandingIt) {
    EXPECT_EQ(check(testing::doublingReferences(30)).verdict, BinaryPlistVerdict::TooManyNodes);
    EXPECT_EQ(check(testing::doublingReferences(19)).verdict, BinaryPlistVerdict::Accepted);
    EXPECT_EQ(check(testing::doublingReferences(20)).verdict, BinaryPlistVerdict::TooManyNodes);
}

TEST(BinaryPlistGuard, AppliesNodeAndPayloadLimitsInclusively) {
    const Bytes sevenNodes = testing::doublingReferences(2);
    EXPECT_EQ(check(sevenNodes, {512, 7, 100}).verdict, BinaryPlistVerdict::Accepted);
    EXPECT_EQ(check(sevenNodes, {512, 6, 100}).verdict, BinaryPlistVerdict::TooManyNodes);

    BinaryPlistBuilder builder;
    const auto text = builder.ascii("0123456789");
    const Bytes fortyBytes = builder.build(builder.array({text, text, text, text}));
    EXPECT_EQ(check(fortyBytes, {512, 100, 40}).verdict, BinaryPlistVerdict::Accepted);
    EXPECT_EQ(check(fortyBytes, {512, 100, 39}).verdict, BinaryPlistVerdict::TooMuchPayload);
}

TEST(BinaryPlistGuard, RefusesCycles) {
    BinaryPlistBuilder self;
    const auto loop = self.add({});
    self.replace(loop, self.arrayObject({loop}));
    EXPECT_EQ(check(self.build(loop)).verdict, BinaryPlistVerdict::Cyclic);

    BinaryPlistBuilder pair;
    const auto key = pair.ascii("k");
    const auto first = pair.add({});
    const auto second = pair.dictionary({{key, first}});
    pair.replace(first, pair.arrayObject({second}));
    EXPECT_EQ(check(pair.build(first)).verdict, BinaryPlistVerdict::Cyclic);
}

}  // namespace
}  // namespace stowbar::plist
