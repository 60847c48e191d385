#pragma once

#include "platform/PropertyList.hpp"

namespace stowbar {

// Reads property lists: XML with Debian's libplist 2.2, binary with our own decoder.
//
// libplist trusts its input. In binary it has no nesting limit (a deep file overflows the
// stack) and copies a shared object once per reference (a small file expands to billions of
// nodes); checking that beforehand takes a walk of the whole object graph, which is most of a
// decoder, and libplist's binary values lose information (the date getter drops the sign of a
// fraction, ASCII strings end at NUL, a key with NUL aborts on an assertion). So binary files
// are checked by BinaryPlistGuard and decoded by BinaryPlistDecoder, without libplist.
//
// XML goes to libplist after XmlPlistGuard's byte counts, which bound what libplist does
// before any check of ours can run: it frees trees recursively (a deep document overflows
// the stack, so large documents are parsed on a thread with a stack sized to their element
// count), inserts dictionary keys in quadratic time and decodes each character reference by
// moving the rest of the text. Its tree is then checked again while converted.
//
// Bounds: depth counts values on the longest path from the top, the top value being at depth
// 1 and dictionary keys adding no level; nodes count values (not keys), a shared binary object
// once per reference; payload counts the bytes of strings, data and keys.
//
// Kinds: dictionary, array, string, data, date, integer, real and boolean map to the
// matching PlistValue alternative. A keyed-archiver UID becomes an integer. An integer that
// does not fit in 64 signed bits makes the whole input unreadable, as does any NUL byte in an
// XML document.
//
// Known losses inherited from libplist 2.2 in XML: dates have whole seconds only; an integer
// with a leading zero is read as octal; a repeated dictionary key keeps only one value
// (binary keeps all, in file order).
//
// Adapter limits below the port's, for XML only: documents are refused beyond 2^17
// dictionary keys in all, or when ampersands times document size passes 2^35.
//
// Nothing is thrown: input whose tree cannot be allocated is refused like any other.
class LibplistReader final : public PropertyListReader {
  public:
    std::optional<PlistValue> parse(std::span<const std::uint8_t> bytes) const noexcept override;
};

}  // namespace stowbar
