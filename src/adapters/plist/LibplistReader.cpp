#include "adapters/plist/LibplistReader.hpp"

#include <plist/plist.h>
#include <pthread.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <utility>

#include "adapters/plist/BinaryPlistDecoder.hpp"
#include "adapters/plist/XmlPlistGuard.hpp"
#include "platform/PropertyList.hpp"

namespace stowbar {

namespace {

struct TreeDeleter {
    void operator()(void* node) const { plist_free(static_cast<plist_t>(node)); }
};
using Tree = std::unique_ptr<void, TreeDeleter>;

struct MallocDeleter {
    void operator()(void* memory) const { std::free(memory); }
};

struct SerializedDeleter {
    void operator()(char* bytes) const { plist_to_bin_free(bytes); }
};

// libplist's binary form of one node alone: "bplist00", then that node as object 0.
class SerializedNode {
  public:
    explicit SerializedNode(plist_t node) {
        char* bytes = nullptr;
        std::uint32_t length = 0;
        plist_to_bin(node, &bytes, &length);
        bytes_.reset(bytes);
        length_ = bytes != nullptr ? length : 0;
    }
    // The object's marker and the eight bytes after it, when it has them.
    bool has(std::uint8_t marker) const {
        return length_ >= 17 && static_cast<std::uint8_t>(bytes_.get()[8]) == marker;
    }
    std::uint64_t eightBytesAfterMarker() const {
        std::uint64_t value = 0;
        for (std::size_t i = 9; i < 17; ++i) {
            value = (value << 8) | static_cast<std::uint8_t>(bytes_.get()[i]);
        }
        return value;
    }

  private:
    std::unique_ptr<char, SerializedDeleter> bytes_;
    std::uint32_t length_ = 0;
};

// Turns a libplist tree (from XML) into a PlistValue, refusing it when it breaks a bound of the
// port. Recursion is safe because the depth is checked before every descent.
class Converter {
  public:
    std::optional<PlistValue> convert(plist_t node, int depth) {
        if (node == nullptr || depth > PropertyListReader::kMaximumDepth ||
            ++nodes_ > PropertyListReader::kMaximumNodes) {
            return std::nullopt;
        }
        switch (plist_get_node_type(node)) {
            case PLIST_BOOLEAN: {
                std::uint8_t value = 0;
                plist_get_bool_val(node, &value);
                return PlistValue{value != 0};
            }
            case PLIST_UINT: {
                std::uint64_t value = 0;
                plist_get_uint_val(node, &value);
                return integer(node, value);
            }
            case PLIST_UID: {
                std::uint64_t value = 0;
                plist_get_uid_val(node, &value);
                if (value > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
                    return std::nullopt;
                }
                return PlistValue{static_cast<std::int64_t>(value)};
            }
            case PLIST_REAL: {
                double value = 0;
                plist_get_real_val(node, &value);
                return PlistValue{value};
            }
            case PLIST_DATE:
                return PlistValue{date(node)};
            case PLIST_STRING: {
                std::uint64_t length = 0;
                const char* text = plist_get_string_ptr(node, &length);
                if (text == nullptr || !addPayload(length)) {
                    return std::nullopt;
                }
                return PlistValue{std::string(text, static_cast<std::size_t>(length))};
            }
            case PLIST_DATA: {
                std::uint64_t length = 0;
                const char* bytes = plist_get_data_ptr(node, &length);
                if ((bytes == nullptr && length != 0) || !addPayload(length)) {
                    return std::nullopt;
                }
                const auto* begin = reinterpret_cast<const std::uint8_t*>(bytes);
                return PlistValue{PlistValue::Data(begin, begin + length)};
            }
            case PLIST_ARRAY:
                return array(node, depth);
            case PLIST_DICT:
                return dictionary(node, depth);
            default:
                return std::nullopt;
        }
    }

  private:
    bool addPayload(std::uint64_t bytes) {
        if (bytes > PropertyListReader::kMaximumPayloadBytes - payloadBytes_) {
            return false;
        }
        payloadBytes_ += static_cast<std::size_t>(bytes);
        return true;
    }

    // libplist hands every integer over as unsigned 64 bits. Above INT64_MAX that is either a
    // negative number written with a minus sign or a positive one too large for a signed
    // 64-bit value; libplist marks the second kind with a 16-byte length, which its value
    // comparison (unlike any getter) takes into account.
    static std::optional<PlistValue> integer(plist_t node, std::uint64_t value) {
        if (value <= static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
            return PlistValue{static_cast<std::int64_t>(value)};
        }
        const Tree signedForm(plist_new_uint(value));
        if (plist_compare_node_value(node, signedForm.get()) != 0) {
            return PlistValue{std::bit_cast<std::int64_t>(value)};
        }
        return std::nullopt;
    }

    // libplist's date getter truncates to whole seconds in 32 bits (undefined beyond that)
    // and drops the sign of the fraction. XML dates have whole seconds only, so the getter is
    // exact unless it reports a fraction or a saturated second count; then the exact 64-bit
    // real is read back from libplist's binary writer, which stores it unchanged.
    static PlistValue::Date date(plist_t node) {
        std::int32_t seconds = 0;
        std::int32_t microseconds = 0;
        plist_get_date_val(node, &seconds, &microseconds);
        if (microseconds == 0 && seconds != std::numeric_limits<std::int32_t>::min() &&
            seconds != std::numeric_limits<std::int32_t>::max()) {
            return {static_cast<double>(seconds)};
        }
        const SerializedNode serialized(node);
        if (serialized.has(0x33)) {
            return {std::bit_cast<double>(serialized.eightBytesAfterMarker())};
        }
        const double fraction = microseconds / 1e6;
        return {seconds < 0 ? seconds - fraction : seconds + fraction};
    }

    std::optional<PlistValue> array(plist_t node, int depth) {
        PlistValue::Array elements;
        elements.reserve(std::min<std::size_t>(plist_array_get_size(node),
                                               PropertyListReader::kMaximumNodes - nodes_));
        plist_array_iter iterator = nullptr;
        plist_array_new_iter(node, &iterator);
        const std::unique_ptr<void, MallocDeleter> ownIterator(iterator);
        if (iterator == nullptr) {
            return std::nullopt;
        }
        while (true) {
            plist_t item = nullptr;
            plist_array_next_item(node, iterator, &item);
            if (item == nullptr) {
                break;
            }
            auto element = convert(item, depth + 1);
            if (!element) {
                return std::nullopt;
            }
            elements.push_back(std::move(*element));
        }
        return PlistValue{std::move(elements)};
    }

    std::optional<PlistValue> dictionary(plist_t node, int depth) {
        PlistValue::Dictionary entries;
        entries.reserve(std::min<std::size_t>(plist_dict_get_size(node),
                                              PropertyListReader::kMaximumNodes - nodes_));
        plist_dict_iter iterator = nullptr;
        plist_dict_new_iter(node, &iterator);
        const std::unique_ptr<void, MallocDeleter> ownIterator(iterator);
        if (iterator == nullptr) {
            return std::nullopt;
        }
        while (true) {
            char* key = nullptr;
            plist_t item = nullptr;
            plist_dict_next_item(node, iterator, &key, &item);
            const std::unique_ptr<char, MallocDeleter> ownKey(key);
            if (item == nullptr) {
                break;
            }
            if (key == nullptr) {
                return std::nullopt;
            }
            const std::size_t keyLength = std::strlen(key);
            if (!addPayload(keyLength)) {
                return std::nullopt;
            }
            auto value = convert(item, depth + 1);
            if (!value) {
                return std::nullopt;
            }
            entries.emplace_back(std::string(key, keyLength), std::move(*value));
        }
        return PlistValue{std::move(entries)};
    }

    std::size_t nodes_ = 0;
    std::size_t payloadBytes_ = 0;
};

std::optional<PlistValue> convertTree(plist_t root) {
    const Tree tree(root);
    if (root == nullptr) {
        return std::nullopt;
    }
    return Converter{}.convert(root, 1);
}

std::optional<PlistValue> parseBinary(std::span<const std::uint8_t> bytes) {
    return plist::decodeBinaryPlist(
        bytes, {PropertyListReader::kMaximumDepth, PropertyListReader::kMaximumNodes,
                PropertyListReader::kMaximumPayloadBytes});
}

std::optional<PlistValue> parseXmlHere(std::span<const std::uint8_t> bytes) {
    // A NUL-terminated copy, so that no scan inside libplist can run past the input.
    const std::string text(bytes.begin(), bytes.end());
    plist_t root = nullptr;
    plist_from_xml(text.c_str(), static_cast<std::uint32_t>(text.size()), &root);
    return convertTree(root);
}

// libplist frees a tree by recursion over its depth, which an XML document may make as large
// as its element count (about 48 bytes of stack per level in 2.2). Documents with few
// elements are parsed on the caller's stack; others on a thread whose stack fits their
// element count, since neither the caller's stack size nor an exact depth is known beforehand.
constexpr std::size_t kElementsParsedOnCallersStack = 2048;
constexpr std::size_t kStackBytesPerElement = 128;
constexpr std::size_t kStackBytesBase = std::size_t{1} << 20;

struct XmlJob {
    std::span<const std::uint8_t> bytes;
    std::optional<PlistValue> result;
};

void* runXmlJob(void* argument) {
    auto* job = static_cast<XmlJob*>(argument);
    // An exception must not leave the thread's start routine; running out of memory on the
    // way reads as an unreadable document, like everywhere else in the reader.
    try {
        job->result = parseXmlHere(job->bytes);
    } catch (...) {
        job->result.reset();
    }
    return nullptr;
}

std::optional<PlistValue> parseXml(std::span<const std::uint8_t> bytes) {
    const plist::XmlPlistCheck check = plist::checkXmlPlist(bytes);
    if (check.verdict != plist::XmlPlistVerdict::Accepted) {
        return std::nullopt;
    }
    if (check.startTags <= kElementsParsedOnCallersStack) {
        return parseXmlHere(bytes);
    }
    XmlJob job{bytes, std::nullopt};
    pthread_attr_t attributes;
    if (pthread_attr_init(&attributes) != 0) {
        return std::nullopt;
    }
    const std::size_t stackBytes = kStackBytesBase + check.startTags * kStackBytesPerElement;
    pthread_t thread;
    const bool started = pthread_attr_setstacksize(&attributes, stackBytes) == 0 &&
                         pthread_create(&thread, &attributes, runXmlJob, &job) == 0;
    pthread_attr_destroy(&attributes);
    if (!started) {
        return std::nullopt;
    }
    pthread_join(thread, nullptr);
    return std::move(job.result);
}

}  // namespace

std::optional<PlistValue> LibplistReader::parse(
    std::span<const std::uint8_t> bytes) const noexcept {
    // libplist takes 32-bit lengths; a longer input would be read cut short.
    if (bytes.empty() || bytes.size() > std::numeric_limits<std::uint32_t>::max()) {
        return std::nullopt;
    }
    // The bounds keep a decoded tree within tens of megabytes, but the process may still run
    // out of memory while building it. That makes this input unreadable, not the caller's
    // problem: the port answers every input with a value or nothing.
    try {
        if (plist_is_binary(reinterpret_cast<const char*>(bytes.data()),
                            static_cast<std::uint32_t>(bytes.size())) != 0) {
            return parseBinary(bytes);
        }
        return parseXml(bytes);
    } catch (...) {
        return std::nullopt;
    }
}

}  // namespace stowbar
