#pragma once

#include <string>
#include <string_view>

namespace stowbar {

// The order in which the report lists names and identifiers: canonical composition (NFC)
// first, then ordinal order of Unicode scalar values. For valid UTF-8 that ordinal order is
// plain byte order, so the composed form doubles as the sort key. No case folding: every
// upper-case ASCII letter sorts before every lower-case one.

// The NFC form of `text`; text that is not valid UTF-8 is returned unchanged.
std::string canonicalSortKey(std::string_view text);

}  // namespace stowbar
