// Running out of memory while a property list is decoded must read as an unreadable input, as
// the port promises, never as an exception thrown at the caller. Every allocation of this test
// program goes through the counting operator new below, which fails on request.

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <optional>
#include <string>

#include "BinaryPlistBuilder.hpp"
#include "adapters/plist/LibplistReader.hpp"
#include "platform/PropertyList.hpp"
#include "support/PlistBuilder.hpp"

// GCC sees the replacement operator delete below free memory that came from operator new and
// takes it for a mismatch; here the pair is malloc and free on both sides.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

namespace {

// Allocations left before the next one fails; negative when no failure is planned.
std::atomic<long> allocationsBeforeFailure{-1};

}  // namespace

void* operator new(std::size_t size) {
    if (allocationsBeforeFailure.load() >= 0 && allocationsBeforeFailure.fetch_sub(1) == 0) {
        throw std::bad_alloc();
    }
    if (void* memory = std::malloc(size == 0 ? 1 : size)) {
        return memory;
    }
    throw std::bad_alloc();
}

void operator delete(void* memory) noexcept {
    std::free(memory);
}

void operator delete(void* memory, std::size_t) noexcept {
    std::free(memory);
}

namespace stowbar {
namespace {

using plist::testing::Bytes;
using test::bytesOf;

// Fails the first, second, third... allocation of a parse until one runs through, so that
// every allocation on the way is seen failing once.
void expectEveryAllocationFailureRefusesTheInput(const Bytes& bytes) {
    const LibplistReader reader;
    for (long failing = 0;; ++failing) {
        allocationsBeforeFailure.store(failing);
        std::optional<PlistValue> value;
        bool threw = false;
        try {
            value = reader.parse(bytes);
        } catch (...) {
            threw = true;
        }
        const bool failureHappened = allocationsBeforeFailure.exchange(-1) < 0;
        ASSERT_FALSE(threw) << "allocation " << failing;
        if (!failureHappened) {
            EXPECT_TRUE(value.has_value());
            return;
        }
        EXPECT_FALSE(value.has_value()) << "allocation " << failing;
    }
}

TEST(LibplistReader, RefusesInputWhoseTreeCannotBeAllocatedInsteadOfThrowing) {
    expectEveryAllocationFailureRefusesTheInput(plist::testing::doublingReferences(3));
    expectEveryAllocationFailureRefusesTheInput(
        bytesOf("<plist><dict><key>k</key><array><string>text</string><data>AAE=</data>"
                "<integer>-3</integer></array></dict></plist>"));
}

}  // namespace
}  // namespace stowbar
