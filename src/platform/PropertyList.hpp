#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace stowbar {

// One decoded property-list value. Every kind a property list can hold is a distinct
// alternative, so "a boolean" and "the integer 1" never look alike.
class PlistValue {
  public:
    using Array = std::vector<PlistValue>;
    // Keys in file order. Property-list dictionaries have string keys only.
    using Dictionary = std::vector<std::pair<std::string, PlistValue>>;
    using Data = std::vector<std::uint8_t>;
    // Seconds since 2001-01-01 00:00:00 UTC, as property lists store dates.
    struct Date {
        double secondsSinceReferenceDate = 0;
        friend bool operator==(const Date&, const Date&) = default;
    };
    using Storage =
        std::variant<bool, std::int64_t, double, std::string, Data, Date, Array, Dictionary>;

    PlistValue() : storage_(false) {}
    PlistValue(Storage storage) : storage_(std::move(storage)) {}  // NOLINT: implicit by design

    template <typename T>
    const T* as() const {
        return std::get_if<T>(&storage_);
    }
    template <typename T>
    T* as() {
        return std::get_if<T>(&storage_);
    }

    // The value under `key` when this is a dictionary that has it; the first one wins.
    const PlistValue* find(std::string_view key) const {
        if (const auto* dictionary = as<Dictionary>()) {
            for (const auto& [name, value] : *dictionary) {
                if (name == key) {
                    return &value;
                }
            }
        }
        return nullptr;
    }

    friend bool operator==(const PlistValue&, const PlistValue&) = default;

  private:
    Storage storage_;
};

// Decodes property lists from bytes.
//
// Threading: stateless; any thread may call it, also concurrently.
//
// Bounds: an implementation must refuse (answer nothing for) input whose values nest deeper
// than kMaximumDepth or whose decoded tree would exceed kMaximumNodes values or
// kMaximumPayloadBytes of string and data contents, so that no input can exhaust the stack or
// memory of this process or of the code that walks the result recursively.
class PropertyListReader {
  public:
    static constexpr int kMaximumDepth = 512;
    static constexpr std::size_t kMaximumNodes = 1u << 20;
    static constexpr std::size_t kMaximumPayloadBytes = std::size_t{64} * 1024 * 1024;

    virtual ~PropertyListReader() = default;

    // XML and binary property lists, detected from the bytes; absent when they are neither,
    // are malformed, break a bound, or cannot be held in memory. Never throws.
    virtual std::optional<PlistValue> parse(std::span<const std::uint8_t> bytes) const = 0;
};

}  // namespace stowbar
