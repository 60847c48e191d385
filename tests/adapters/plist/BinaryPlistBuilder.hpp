#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace stowbar::plist::testing {

using Bytes = std::vector<std::uint8_t>;

inline void appendBigEndian(Bytes& out, std::uint64_t value, std::size_t width) {
    for (std::size_t i = width; i > 0; --i) {
        out.push_back(static_cast<std::uint8_t>(value >> (8 * (i - 1))));
    }
}

inline std::string repeat(const std::string& piece, std::size_t times) {
    std::string out;
    out.reserve(piece.size() * times);
    for (std::size_t i = 0; i < times; ++i) {
        out += piece;
    }
    return out;
}

// Assembles binary property lists object by object, so that tests can write files no
// well-behaved writer would produce: shared references, cycles, broken tables.
class BinaryPlistBuilder {
  public:
    explicit BinaryPlistBuilder(std::size_t referenceSize = 4) : referenceSize_(referenceSize) {}

    std::uint64_t add(Bytes object) {
        objects_.push_back(std::move(object));
        return objects_.size() - 1;
    }
    std::uint64_t boolean(bool value) {
        return add({value ? std::uint8_t{0x09} : std::uint8_t{0x08}});
    }
    std::uint64_t integer(std::uint8_t value) { return add({0x10, value}); }
    std::uint64_t ascii(std::string_view text) {
        Bytes object = marker(0x5, text.size());
        object.insert(object.end(), text.begin(), text.end());
        return add(std::move(object));
    }
    std::uint64_t array(const std::vector<std::uint64_t>& elements) {
        return add(arrayObject(elements));
    }
    std::uint64_t dictionary(const std::vector<std::pair<std::uint64_t, std::uint64_t>>& entries) {
        Bytes object = marker(0xD, entries.size());
        for (const auto& entry : entries) {
            appendBigEndian(object, entry.first, referenceSize_);
        }
        for (const auto& entry : entries) {
            appendBigEndian(object, entry.second, referenceSize_);
        }
        return add(std::move(object));
    }
    // Fills in an object added earlier, for references to objects added later (cycles).
    void replace(std::uint64_t index, Bytes object) { objects_[index] = std::move(object); }
    Bytes arrayObject(const std::vector<std::uint64_t>& elements) const {
        Bytes object = marker(0xA, elements.size());
        for (const auto element : elements) {
            appendBigEndian(object, element, referenceSize_);
        }
        return object;
    }

    Bytes build(std::uint64_t top) const { return build(top, objects_.size()); }
    Bytes build(std::uint64_t top, std::uint64_t declaredObjects) const {
        Bytes out{'b', 'p', 'l', 'i', 's', 't', '0', '0'};
        std::vector<std::uint64_t> offsets;
        for (const auto& object : objects_) {
            offsets.push_back(out.size());
            out.insert(out.end(), object.begin(), object.end());
        }
        const std::uint64_t tableOffset = out.size();
        const std::size_t offsetSize = tableOffset < 0x100 ? 1 : tableOffset < 0x10000 ? 2 : 4;
        for (const auto offset : offsets) {
            appendBigEndian(out, offset, offsetSize);
        }
        out.insert(out.end(), 6, 0);
        out.push_back(static_cast<std::uint8_t>(offsetSize));
        out.push_back(static_cast<std::uint8_t>(referenceSize_));
        appendBigEndian(out, declaredObjects, 8);
        appendBigEndian(out, top, 8);
        appendBigEndian(out, tableOffset, 8);
        return out;
    }

    static Bytes marker(std::uint8_t kind, std::size_t length) {
        if (length < 15) {
            return {static_cast<std::uint8_t>((kind << 4) | length)};
        }
        Bytes out{static_cast<std::uint8_t>((kind << 4) | 0x0F), 0x13};
        appendBigEndian(out, length, 8);
        return out;
    }

  private:
    std::size_t referenceSize_;
    std::vector<Bytes> objects_;
};

// A chain of `depth` arrays, each holding the next; the innermost holds `leafElements`
// copies of `true`, so the deepest value sits at depth + (leafElements > 0).
inline Bytes nestedArrays(std::size_t depth, std::size_t leafElements = 0) {
    BinaryPlistBuilder builder;
    const std::vector<std::uint64_t> inner(leafElements,
                                           leafElements > 0 ? builder.boolean(true) : 0);
    std::uint64_t current = builder.array(inner);
    for (std::size_t level = 1; level < depth; ++level) {
        current = builder.array({current});
    }
    return builder.build(current);
}

// Each level is an array referring to the level below twice: a file of a few hundred bytes
// whose tree doubles with every level.
inline Bytes doublingReferences(std::size_t levels) {
    BinaryPlistBuilder builder;
    std::uint64_t current = builder.boolean(true);
    for (std::size_t level = 0; level < levels; ++level) {
        current = builder.array({current, current});
    }
    return builder.build(current);
}

}  // namespace stowbar::plist::testing
