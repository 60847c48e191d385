#include "adapters/plist/XmlPlistGuard.hpp"

#include <cstdint>
#include <cstring>
#include <span>

namespace stowbar::plist {

XmlPlistCheck checkXmlPlist(std::span<const std::uint8_t> bytes, const XmlPlistLimits& limits) {
    XmlPlistCheck check;
    std::size_t keys = 0;
    std::uint64_t ampersands = 0;
    const std::size_t size = bytes.size();
    for (std::size_t i = 0; i < size; ++i) {
        const std::uint8_t byte = bytes[i];
        if (byte == 0) {
            check.verdict = XmlPlistVerdict::NulCharacter;
            return check;
        }
        if (byte == '&') {
            ++ampersands;
        } else if (byte == '<') {
            if (i + 1 < size && bytes[i + 1] == '/') {
                continue;
            }
            ++check.startTags;
            if (size - i >= 4 && std::memcmp(bytes.data() + i, "<key", 4) == 0) {
                ++keys;
            }
        }
    }
    if (check.startTags > limits.maximumStartTags) {
        check.verdict = XmlPlistVerdict::TooManyElements;
    } else if (keys > limits.maximumKeys) {
        check.verdict = XmlPlistVerdict::TooManyKeys;
    } else if (ampersands != 0 && ampersands > limits.maximumReferenceWork / size) {
        check.verdict = XmlPlistVerdict::TooManyReferences;
    }
    return check;
}

}  // namespace stowbar::plist
