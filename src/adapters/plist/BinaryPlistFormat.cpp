#include "adapters/plist/BinaryPlistFormat.hpp"

#include <cstdint>
#include <cstring>
#include <optional>
#include <span>

namespace stowbar::plist {

namespace {
constexpr std::size_t kHeaderSize = 8;
constexpr std::size_t kTrailerSize = 32;
}  // namespace

std::uint64_t readBigEndian(const std::uint8_t* bytes, std::size_t width) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < width; ++i) {
        value = (value << 8) | bytes[i];
    }
    return value;
}

std::optional<BinaryPlistLayout> BinaryPlistLayout::read(std::span<const std::uint8_t> bytes) {
    const std::size_t size = bytes.size();
    if (size < kHeaderSize + 1 + kTrailerSize ||
        std::memcmp(bytes.data(), "bplist00", kHeaderSize) != 0) {
        return std::nullopt;
    }
    BinaryPlistLayout layout;
    layout.bytes_ = bytes;
    const std::uint8_t* trailer = bytes.data() + size - kTrailerSize;
    layout.offsetSize_ = trailer[6];
    layout.referenceSize_ = trailer[7];
    layout.objectCount_ = readBigEndian(trailer + 8, 8);
    layout.topObject_ = readBigEndian(trailer + 16, 8);
    const std::uint64_t tableOffset = readBigEndian(trailer + 24, 8);
    const std::uint64_t trailerOffset = size - kTrailerSize;
    if (layout.offsetSize_ < 1 || layout.offsetSize_ > 8 || layout.referenceSize_ < 1 ||
        layout.referenceSize_ > 8) {
        return std::nullopt;
    }
    if (layout.objectCount_ == 0 || layout.topObject_ >= layout.objectCount_) {
        return std::nullopt;
    }
    // Objects live between the header and the offset table; the table must fit before the
    // trailer.
    if (tableOffset <= kHeaderSize || tableOffset > trailerOffset) {
        return std::nullopt;
    }
    if (layout.objectCount_ > (trailerOffset - tableOffset) / layout.offsetSize_) {
        return std::nullopt;
    }
    layout.tableOffset_ = static_cast<std::size_t>(tableOffset);
    return layout;
}

std::optional<ObjectHeader> BinaryPlistLayout::header(std::uint64_t index) const {
    if (index >= objectCount_) {
        return std::nullopt;
    }
    const std::uint64_t offset =
        readBigEndian(bytes_.data() + tableOffset_ + index * offsetSize_, offsetSize_);
    if (offset < kHeaderSize || offset >= tableOffset_) {
        return std::nullopt;
    }
    std::size_t position = static_cast<std::size_t>(offset);
    const std::uint8_t marker = bytes_[position++];
    ObjectHeader result;
    result.type = marker >> 4;
    result.size = marker & 0x0Fu;
    const auto fits = [&](std::uint64_t length) {
        return length <= tableOffset_ - position;
    };
    const auto scalar = [&](std::uint64_t width) -> std::optional<ObjectHeader> {
        if (!fits(width)) {
            return std::nullopt;
        }
        result.contentAt = position;
        result.count = width;
        return result;
    };

    switch (result.type) {
        case 0x0:  // false and true; null and fill are not property-list values
            return (result.size == 0x8 || result.size == 0x9) ? scalar(0) : std::nullopt;
        case 0x1:  // integers of 1, 2, 4, 8 or 16 bytes
            return result.size <= 4 ? scalar(std::uint64_t{1} << result.size) : std::nullopt;
        case 0x2:  // reals of 4 or 8 bytes
            return (result.size == 2 || result.size == 3) ? scalar(std::uint64_t{1} << result.size)
                                                          : std::nullopt;
        case 0x3:  // dates are always an 8-byte real
            return result.size == 3 ? scalar(8) : std::nullopt;
        case 0x8:  // keyed-archiver UIDs of 1 to 8 bytes
            return result.size <= 7 ? scalar(result.size + 1u) : std::nullopt;
        case 0x4:
        case 0x5:
        case 0x6:
        case 0xA:
        case 0xD:
            break;
        default:
            return std::nullopt;
    }
    // Data, strings and containers carry their length in the marker, or in an integer
    // object right after it when it does not fit in four bits.
    std::uint64_t length = result.size;
    if (result.size == 0xF) {
        if (!fits(1)) {
            return std::nullopt;
        }
        const std::uint8_t lengthMarker = bytes_[position++];
        if ((lengthMarker >> 4) != 0x1 || (lengthMarker & 0x0Fu) > 3) {
            return std::nullopt;
        }
        const std::size_t width = std::size_t{1} << (lengthMarker & 0x0Fu);
        if (!fits(width)) {
            return std::nullopt;
        }
        length = readBigEndian(bytes_.data() + position, width);
        position += width;
    }
    const std::uint64_t room = tableOffset_ - position;
    result.contentAt = position;
    result.count = length;
    switch (result.type) {
        case 0x4:
        case 0x5:
            if (length > room) {
                return std::nullopt;
            }
            result.kind = result.type == 0x4 ? ObjectKind::Data : ObjectKind::String;
            result.payloadBytes = length;
            return result;
        case 0x6:
            if (length > room / 2) {
                return std::nullopt;
            }
            result.kind = ObjectKind::String;
            result.payloadBytes = 3 * length;
            return result;
        case 0xA:
            if (length > room / referenceSize_) {
                return std::nullopt;
            }
            result.kind = ObjectKind::Array;
            return result;
        default:  // 0xD
            if (length > room / referenceSize_ / 2) {
                return std::nullopt;
            }
            result.kind = ObjectKind::Dictionary;
            return result;
    }
}

std::optional<std::uint64_t> BinaryPlistLayout::reference(const ObjectHeader& container,
                                                          std::uint64_t i) const {
    const std::uint64_t target =
        readBigEndian(bytes_.data() + container.contentAt + i * referenceSize_, referenceSize_);
    if (target >= objectCount_) {
        return std::nullopt;
    }
    return target;
}

}  // namespace stowbar::plist
