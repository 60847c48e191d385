#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace stowbar::plist {

// Limits on an XML property list, checked on the raw bytes before libplist sees them. They
// bound what libplist itself does: it builds a node for every element before any of our
// checks can run, frees its trees recursively, inserts dictionary keys in quadratic time and
// decodes each character reference by moving the rest of the text.
struct XmlPlistLimits {
    // Most start tags: one per value and per dictionary key, plus the root element and a few
    // for the prolog and comments.
    std::size_t maximumStartTags = (std::size_t{1} << 20) + (std::size_t{1} << 17) + 64;
    // Most "<key" in the document; a dictionary of n keys costs libplist n squared.
    std::size_t maximumKeys = std::size_t{1} << 17;
    // Most ampersands times document size; each reference costs libplist a move of what
    // follows it in the text.
    std::uint64_t maximumReferenceWork = std::uint64_t{1} << 35;
};

enum class XmlPlistVerdict : std::uint8_t {
    Accepted,
    // A NUL byte, which XML does not allow and libplist mishandles inside text.
    NulCharacter,
    TooManyElements,
    TooManyKeys,
    TooManyReferences,
};

struct XmlPlistCheck {
    XmlPlistVerdict verdict = XmlPlistVerdict::Accepted;
    // Every '<' not followed by '/': an upper bound on the elements, hence on the nesting
    // depth, of whatever libplist makes of the bytes.
    std::size_t startTags = 0;
};

// A counting pass over the bytes; it does not parse XML and so cannot disagree with libplist
// about what the document means, only overestimate.
XmlPlistCheck checkXmlPlist(std::span<const std::uint8_t> bytes, const XmlPlistLimits& limits = {});

}  // namespace stowbar::plist
