#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace stowbar::plist {

// The object table of a binary property list ("bplist00"): shared by the guard, which
// measures the tree, and the decoder, which builds it, so that both read the same file.

enum class ObjectKind : std::uint8_t { Scalar, Data, String, Array, Dictionary };

// One object's marker, checked to lie wholly inside the object region.
struct ObjectHeader {
    ObjectKind kind = ObjectKind::Scalar;
    // The marker's two halves: the type, and the size or length field.
    unsigned type = 0;
    unsigned size = 0;
    // Where the contents start: the value bytes of a scalar, the characters of a string or
    // data, the references of a container.
    std::size_t contentAt = 0;
    // Bytes of a scalar's value; characters (bytes, or UTF-16 code units) of a string or
    // data; elements of a container (key-value pairs for a dictionary).
    std::uint64_t count = 0;
    // The most bytes the object adds to the decoded payload: data and ASCII bytes as they
    // are, three UTF-8 bytes per UTF-16 code unit.
    std::uint64_t payloadBytes = 0;
};

class BinaryPlistLayout {
  public:
    // Absent unless the header, the trailer and the offset table are consistent.
    static std::optional<BinaryPlistLayout> read(std::span<const std::uint8_t> bytes);

    std::uint64_t objectCount() const { return objectCount_; }
    std::uint64_t topObject() const { return topObject_; }
    std::span<const std::uint8_t> bytes() const { return bytes_; }

    // Absent for anything this program does not accept: null, fill, sets, UTF-8 strings,
    // integers over 16 bytes, UIDs over 8, an extended length that is not a 1 to 8-byte
    // integer, or contents that run past the object region.
    std::optional<ObjectHeader> header(std::uint64_t index) const;
    // The object index of a container's i-th reference (keys first, then values, for a
    // dictionary); absent when it is out of range.
    std::optional<std::uint64_t> reference(const ObjectHeader& container, std::uint64_t i) const;

  private:
    std::span<const std::uint8_t> bytes_;
    std::size_t offsetSize_ = 0;
    std::size_t referenceSize_ = 0;
    std::uint64_t objectCount_ = 0;
    std::uint64_t topObject_ = 0;
    std::size_t tableOffset_ = 0;
};

std::uint64_t readBigEndian(const std::uint8_t* bytes, std::size_t width);

}  // namespace stowbar::plist
