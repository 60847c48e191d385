#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace stowbar::plist {

// Limits the guard enforces; the reader passes the property-list port's bounds.
struct BinaryPlistLimits {
    // Deepest nesting allowed. The top object is at depth 1 and the elements of a container
    // one deeper than the container; dictionary keys do not add a level.
    int maximumDepth = 512;
    // Most values the decoded tree may hold, counting every reference to a shared object
    // again, because a decoder copies a shared object once per reference. Dictionary keys are
    // not values.
    std::size_t maximumNodes = std::size_t{1} << 20;
    // Most bytes of string, data and dictionary-key contents in the decoded tree, again
    // counting shared objects once per reference. A UTF-16 string counts three bytes per code
    // unit, the most its UTF-8 form can take.
    std::size_t maximumPayloadBytes = std::size_t{64} << 20;
};

enum class BinaryPlistVerdict : std::uint8_t {
    Accepted,
    // Not "bplist00", a broken trailer or offset table, a reference out of range, an object
    // that runs past its region, or an object kind this program does not accept (null, fill,
    // sets, UTF-8 strings, keys that are not strings, over-long integers).
    Malformed,
    // An object contains itself.
    Cyclic,
    TooDeep,
    TooManyNodes,
    TooMuchPayload,
};

struct BinaryPlistCheck {
    BinaryPlistVerdict verdict = BinaryPlistVerdict::Malformed;
    // Measured over the tree the top object expands to; filled in when accepted.
    int depth = 0;
    std::size_t nodes = 0;
    std::size_t payloadBytes = 0;
};

// Checks the structure of a binary property list ("bplist00") without decoding its values, so
// that a decoder that trusts the file (no nesting limit, a fresh copy of a shared object for
// every reference to it) only ever sees files whose expanded tree is within the limits.
//
// The walk is iterative, visits every object once (results are remembered per object), and
// its memory grows with the number of objects in the file, never with the expanded tree.
// It is a structural check only: a file it accepts can still fail to decode.
BinaryPlistCheck checkBinaryPlist(std::span<const std::uint8_t> bytes,
                                  const BinaryPlistLimits& limits = {});

}  // namespace stowbar::plist
