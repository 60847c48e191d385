#include "support/PlistBuilder.hpp"
#include <plist/plist.h>

#include <cstdint>
#include <cstdlib>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace stowbar::test {

Plist Plist::array(std::initializer_list<Plist> elements) {
    plist_t node = plist_new_array();
    for (const auto& element : elements) {
        plist_array_append_item(node, plist_copy(element.node()));
    }
    return Plist(node);
}

Plist Plist::dict(std::initializer_list<std::pair<const char*, Plist>> entries) {
    plist_t node = plist_new_dict();
    for (const auto& [key, value] : entries) {
        plist_dict_set_item(node, key, plist_copy(value.node()));
    }
    return Plist(node);
}

std::vector<std::uint8_t> Plist::binary() const {
    char* out = nullptr;
    uint32_t length = 0;
    plist_to_bin(node_, &out, &length);
    std::vector<std::uint8_t> bytes(out, out + length);
    std::free(out);
    return bytes;
}

std::vector<std::uint8_t> Plist::xml() const {
    char* out = nullptr;
    uint32_t length = 0;
    plist_to_xml(node_, &out, &length);
    std::vector<std::uint8_t> bytes(out, out + length);
    std::free(out);
    return bytes;
}

Plist entry(bool allowed, const Plist& location) {
    return Plist::dict({{"isAllowed", Plist::boolean(allowed)}, {"location", location}});
}

Plist bundleLocation(const std::string& identifier) {
    return Plist::dict({{"bundle", Plist::dict({{"_0", Plist::string(identifier)}})}});
}

Plist controlCenterFile(const Plist& entries) {
    return Plist::dict({{"trackedApplications", Plist::data(entries.binary())}});
}

Plist hiddenSetFile(const std::vector<std::string>& identifiers) {
    auto entries = Plist::array({});
    for (const auto& identifier : identifiers) {
        plist_array_append_item(entries.node(),
                                plist_copy(entry(false, bundleLocation(identifier)).node()));
    }
    return controlCenterFile(entries);
}

std::vector<std::uint8_t> bytesOf(const std::string& text) {
    return {text.begin(), text.end()};
}

}  // namespace stowbar::test
