#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "adapters/plist/BinaryPlistGuard.hpp"
#include "platform/PropertyList.hpp"

namespace stowbar::plist {

// Decodes a binary property list ("bplist00") that checkBinaryPlist accepts within `limits`;
// absent otherwise, or when a value cannot be represented: an integer beyond signed 64 bits
// or a UID above INT64_MAX.
//
// Values: integers of 1, 2 and 4 bytes are unsigned, of 8 bytes signed, of 16 bytes signed
// 128-bit (as written for large unsigned values); UIDs become integers; 4-byte reals widen to
// double; dates keep their exact 64-bit real. ASCII strings are taken byte for byte, NUL
// included; UTF-16 strings become UTF-8, an unpaired surrogate becoming U+FFFD. A shared
// object is decoded once per reference, as the tree the file describes has it.
std::optional<PlistValue> decodeBinaryPlist(std::span<const std::uint8_t> bytes,
                                            const BinaryPlistLimits& limits = {});

}  // namespace stowbar::plist
