#include "adapters/plist/BinaryPlistDecoder.hpp"

#include <bit>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <span>
#include <string>
#include <utility>

#include "adapters/plist/BinaryPlistFormat.hpp"
#include "adapters/plist/BinaryPlistGuard.hpp"
#include "platform/PropertyList.hpp"

namespace stowbar::plist {

namespace {

constexpr std::uint64_t kLargestSigned =
    static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());

void appendUtf8(std::string& out, std::uint32_t codePoint) {
    if (codePoint < 0x80) {
        out.push_back(static_cast<char>(codePoint));
    } else if (codePoint < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (codePoint >> 6)));
        out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    } else if (codePoint < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (codePoint >> 12)));
        out.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (codePoint >> 18)));
        out.push_back(static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    }
}

// Builds the tree of a file the guard has accepted, so depth, size and cycles are known to be
// within the limits and recursion is at most maximumDepth deep.
class Decoder {
  public:
    explicit Decoder(const BinaryPlistLayout& layout) : layout_(layout) {}

    std::optional<PlistValue> decode(std::uint64_t index) {
        const auto header = layout_.header(index);
        if (!header) {
            return std::nullopt;
        }
        const std::uint8_t* content = layout_.bytes().data() + header->contentAt;
        switch (header->kind) {
            case ObjectKind::Scalar:
                return scalar(*header, content);
            case ObjectKind::Data:
                return PlistValue{PlistValue::Data(content, content + header->count)};
            case ObjectKind::String:
                return PlistValue{string(*header, content)};
            case ObjectKind::Array:
                return array(*header);
            case ObjectKind::Dictionary:
                return dictionary(*header);
        }
        return std::nullopt;
    }

  private:
    static std::optional<PlistValue> scalar(const ObjectHeader& header,
                                            const std::uint8_t* content) {
        const auto width = static_cast<std::size_t>(header.count);
        switch (header.type) {
            case 0x0:
                return PlistValue{header.size == 0x9};
            case 0x1:
                return integer(content, width);
            case 0x2:
                if (width == 4) {
                    const auto bits = static_cast<std::uint32_t>(readBigEndian(content, 4));
                    return PlistValue{static_cast<double>(std::bit_cast<float>(bits))};
                }
                return PlistValue{std::bit_cast<double>(readBigEndian(content, 8))};
            case 0x3:
                return PlistValue{
                    PlistValue::Date{std::bit_cast<double>(readBigEndian(content, 8))}};
            case 0x8: {
                const std::uint64_t uid = readBigEndian(content, width);
                if (uid > kLargestSigned) {
                    return std::nullopt;
                }
                return PlistValue{static_cast<std::int64_t>(uid)};
            }
            default:
                return std::nullopt;
        }
    }

    static std::optional<PlistValue> integer(const std::uint8_t* content, std::size_t width) {
        if (width < 8) {
            return PlistValue{static_cast<std::int64_t>(readBigEndian(content, width))};
        }
        if (width == 8) {
            return PlistValue{std::bit_cast<std::int64_t>(readBigEndian(content, 8))};
        }
        // 16 bytes: a 128-bit two's-complement value, representable only when the high half
        // is the sign extension of the low half.
        const std::uint64_t high = readBigEndian(content, 8);
        const std::uint64_t low = readBigEndian(content + 8, 8);
        const bool negative = low > kLargestSigned;
        if (high != (negative ? ~std::uint64_t{0} : 0)) {
            return std::nullopt;
        }
        return PlistValue{std::bit_cast<std::int64_t>(low)};
    }

    static std::string string(const ObjectHeader& header, const std::uint8_t* content) {
        const auto count = static_cast<std::size_t>(header.count);
        if (header.type == 0x5) {
            return std::string(reinterpret_cast<const char*>(content), count);
        }
        std::string out;
        out.reserve(count);
        for (std::size_t i = 0; i < count; ++i) {
            const auto unit = static_cast<std::uint32_t>(readBigEndian(content + 2 * i, 2));
            if (unit >= 0xD800 && unit < 0xDC00 && i + 1 < count) {
                const auto next =
                    static_cast<std::uint32_t>(readBigEndian(content + 2 * (i + 1), 2));
                if (next >= 0xDC00 && next < 0xE000) {
                    appendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00));
                    ++i;
                    continue;
                }
            }
            appendUtf8(out, (unit >= 0xD800 && unit < 0xE000) ? 0xFFFD : unit);
        }
        return out;
    }

    std::optional<PlistValue> array(const ObjectHeader& header) {
        PlistValue::Array elements;
        elements.reserve(static_cast<std::size_t>(header.count));
        for (std::uint64_t i = 0; i < header.count; ++i) {
            const auto target = layout_.reference(header, i);
            if (!target) {
                return std::nullopt;
            }
            auto element = decode(*target);
            if (!element) {
                return std::nullopt;
            }
            elements.push_back(std::move(*element));
        }
        return PlistValue{std::move(elements)};
    }

    std::optional<PlistValue> dictionary(const ObjectHeader& header) {
        PlistValue::Dictionary entries;
        entries.reserve(static_cast<std::size_t>(header.count));
        for (std::uint64_t i = 0; i < header.count; ++i) {
            const auto keyIndex = layout_.reference(header, i);
            const auto valueIndex = layout_.reference(header, header.count + i);
            if (!keyIndex || !valueIndex) {
                return std::nullopt;
            }
            const auto key = layout_.header(*keyIndex);
            if (!key || key->kind != ObjectKind::String) {
                return std::nullopt;
            }
            auto value = decode(*valueIndex);
            if (!value) {
                return std::nullopt;
            }
            entries.emplace_back(string(*key, layout_.bytes().data() + key->contentAt),
                                 std::move(*value));
        }
        return PlistValue{std::move(entries)};
    }

    const BinaryPlistLayout& layout_;
};

}  // namespace

std::optional<PlistValue> decodeBinaryPlist(std::span<const std::uint8_t> bytes,
                                            const BinaryPlistLimits& limits) {
    if (checkBinaryPlist(bytes, limits).verdict != BinaryPlistVerdict::Accepted) {
        return std::nullopt;
    }
    const auto layout = BinaryPlistLayout::read(bytes);
    if (!layout) {
        return std::nullopt;
    }
    return Decoder(*layout).decode(layout->topObject());
}

}  // namespace stowbar::plist
