#include "adapters/plist/BinaryPlistGuard.hpp"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <utility>

#include "BinaryPlistBuilder.hpp"

namespace stowbar::plist {
namespace {

using testing::BinaryPlistBuilder;
using testing::Bytes;
using Verdict = BinaryPlistVerdict;

Bytes singleTrue() {
    BinaryPlistBuilder builder;
    return builder.build(builder.boolean(true));
}

// `singleTrue()` with the byte at `at` (negative: counted from the end) set to `value`.
Bytes singleTrueWith(long at, std::uint8_t value) {
    Bytes bytes = singleTrue();
    bytes[static_cast<std::size_t>(at < 0 ? static_cast<long>(bytes.size()) + at : at)] = value;
    return bytes;
}

Bytes oneObject(Bytes object) {
    BinaryPlistBuilder builder;
    return builder.build(builder.add(std::move(object)));
}

TEST(BinaryPlistGuard, RefusesEveryMalformedFileAsMalformed) {
    Bytes truncated = singleTrue();
    truncated.pop_back();
    Bytes garbage{'b', 'p', 'l', 'i', 's', 't', '0', '0'};
    for (int i = 0; i < 64; ++i) {
        garbage.push_back(static_cast<std::uint8_t>(i * 37 + 11));
    }
    Bytes hugeArray = BinaryPlistBuilder::marker(0xA, 1u << 30);
    hugeArray.insert(hugeArray.end(), {0, 0, 0, 0});
    // A file from a builder of its own.
    const auto made = [](const auto& build) {
        BinaryPlistBuilder builder;
        return build(builder);
    };
    const std::pair<const char*, Bytes> cases[] = {
        {"empty", {}},
        {"the magic alone", {'b', 'p', 'l', 'i', 's', 't', '0', '0'}},
        {"another version", singleTrueWith(7, '1')},
        {"truncated by one byte", truncated},
        {"zero objects", made([](auto& b) { return b.build(b.boolean(true), 0); })},
        {"more objects than the table holds",
         made([](auto& b) { return b.build(b.boolean(true), 2); })},
        {"top object out of range", made([](auto& b) { return b.build(b.boolean(true) + 1); })},
        {"offset size zero", singleTrueWith(-26, 0)},
        {"reference size nine", singleTrueWith(-25, 9)},
        {"table offset inside the header", singleTrueWith(-1, 4)},
        {"offset pointing into the table", singleTrueWith(9, 9)},
        {"reference out of range", made([](auto& b) {
             return b.build(b.array({b.boolean(true), 7}));
         })},
        {"string running into the table", oneObject({0x55, 'a', 'b'})},
        {"array count larger than the file", oneObject(hugeArray)},
        {"length that is not an integer", oneObject({0x5F, 0x50, 'a'})},
        {"null object", made([](auto& b) { return b.build(b.array({b.add({0x00})})); })},
        {"set object", made([](auto& b) {
             const auto element = static_cast<std::uint8_t>(b.boolean(true));
             return b.build(b.add({0xC1, 0, 0, 0, element}));
         })},
        {"UTF-8 string object", oneObject({0x71, 'a'})},
        {"key that is not a string", made([](auto& b) {
             const auto key = b.integer(1);
             return b.build(b.dictionary({{key, key}}));
         })},
        {"garbage after the magic", garbage},
    };
    for (const auto& [name, bytes] : cases) {
        EXPECT_EQ(checkBinaryPlist(bytes).verdict, Verdict::Malformed) << name;
    }
}

// Depth counts the values on the longest path from the top, nodes every value once per
// reference to it (keys excepted), payload the bytes of strings and data, keys included; each
// limit is inclusive.
TEST(BinaryPlistGuard, AcceptsFilesAtEachBoundAndRefusesThemBeyondIt) {
    BinaryPlistBuilder shared;
    std::uint64_t chain = shared.array({});
    for (int level = 1; level < 500; ++level) {
        chain = shared.array({chain});
    }
    std::uint64_t detour = chain;
    for (int level = 0; level < 12; ++level) {
        detour = shared.array({detour});
    }
    BinaryPlistBuilder dictionaries;
    const auto k = dictionaries.ascii("k");
    std::uint64_t nested = dictionaries.dictionary({});
    for (int level = 1; level < 100000; ++level) {
        nested = dictionaries.dictionary({{k, nested}});
    }
    BinaryPlistBuilder strings;  // 5 nodes; 3 + 2 * 10 + 6 bytes of payload
    const auto key = strings.ascii("key");
    const auto text = strings.ascii("0123456789");
    const auto utf16 = strings.add({0x62, 0x00, 'a', 0x00, 'b'});
    const Bytes keyed =
        strings.build(strings.dictionary({{key, strings.array({text, text, utf16})}}));
    BinaryPlistBuilder self;
    const auto loop = self.add({});
    self.replace(loop, self.arrayObject({loop}));
    BinaryPlistBuilder pair;
    const auto first = pair.add({});
    pair.replace(first, pair.arrayObject({pair.dictionary({{pair.ascii("k"), first}})}));
    const Bytes sharedChain = shared.build(shared.array({chain, detour}));
    const Bytes sharing = testing::doublingReferences(3);  // 4 levels, 15 nodes
    struct Case {
        const char* name;
        Bytes bytes;
        BinaryPlistLimits limits;
        Verdict verdict;
    };
    const Case cases[] = {
        {"a scalar top object", singleTrue(), {1, 1, 0}, Verdict::Accepted},
        {"512 levels", testing::nestedArrays(512), {}, Verdict::Accepted},
        {"511 levels and a leaf", testing::nestedArrays(511, 1), {}, Verdict::Accepted},
        {"513 levels", testing::nestedArrays(513), {}, Verdict::TooDeep},
        {"512 levels and a leaf", testing::nestedArrays(512, 1), {}, Verdict::TooDeep},
        {"a shared chain, a level too deep at its second use", sharedChain, {}, Verdict::TooDeep},
        {"100000 nested dictionaries", dictionaries.build(nested), {}, Verdict::TooDeep},
        {"2^20 - 1 values", testing::doublingReferences(19), {}, Verdict::Accepted},
        {"2^21 - 1 values", testing::doublingReferences(20), {}, Verdict::TooManyNodes},
        {"the doubling bomb", testing::doublingReferences(30), {}, Verdict::TooManyNodes},
        {"sharing at its bounds", sharing, {4, 15, 0}, Verdict::Accepted},
        {"sharing at 3 levels", sharing, {3, 15, 0}, Verdict::TooDeep},
        {"sharing at 14 nodes", sharing, {4, 14, 0}, Verdict::TooManyNodes},
        {"keys and shared strings at their bounds", keyed, {512, 5, 29}, Verdict::Accepted},
        {"keys and shared strings, one node over", keyed, {512, 4, 29}, Verdict::TooManyNodes},
        {"keys and shared strings, one byte over", keyed, {512, 5, 28}, Verdict::TooMuchPayload},
        {"an array holding itself", self.build(loop), {}, Verdict::Cyclic},
        {"an array and a dictionary holding each other", pair.build(first), {}, Verdict::Cyclic},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(checkBinaryPlist(c.bytes, c.limits).verdict, c.verdict) << c.name;
    }
}

}  // namespace
}  // namespace stowbar::plist
