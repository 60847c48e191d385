#include "core/UnicodeOrdering.hpp"

#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include <utf8proc.h>

namespace stowbar {

std::string canonicalSortKey(std::string_view text) {
    // Pure ASCII is already in composed form; skip the library for the common case.
    bool ascii = true;
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            ascii = false;
            break;
        }
    }
    if (ascii) {
        return std::string(text);
    }
    utf8proc_uint8_t* composed = nullptr;
    const auto length =
        utf8proc_map(reinterpret_cast<const utf8proc_uint8_t*>(text.data()),
                     static_cast<utf8proc_ssize_t>(text.size()), &composed,
                     static_cast<utf8proc_option_t>(UTF8PROC_STABLE | UTF8PROC_COMPOSE));
    if (length < 0 || composed == nullptr) {
        return std::string(text);
    }
    const std::unique_ptr<utf8proc_uint8_t, decltype(&std::free)> owner(composed, &std::free);
    return std::string(reinterpret_cast<const char*>(composed), static_cast<std::size_t>(length));
}

}  // namespace stowbar
