#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include <plist/plist.h>

namespace stowbar::test {

// Where Control Center keeps its file, under the home directory.
inline constexpr const char* kControlCenterFile =
    "Library/Group Containers/group.com.apple.controlcenter/Library/Preferences/"
    "group.com.apple.controlcenter.plist";

// Builds property lists with libplist itself, so that the tests' inputs come from an
// independent writer rather than from the code under test.
class Plist {
  public:
    explicit Plist(plist_t node) : node_(node) {}
    Plist(const Plist& other) : node_(plist_copy(other.node_)) {}
    Plist(Plist&& other) noexcept : node_(std::exchange(other.node_, nullptr)) {}
    Plist& operator=(const Plist&) = delete;
    Plist& operator=(Plist&&) = delete;
    ~Plist() {
        if (node_ != nullptr) {
            plist_free(node_);
        }
    }

    static Plist string(const std::string& value) { return Plist(plist_new_string(value.c_str())); }
    static Plist boolean(bool value) { return Plist(plist_new_bool(value ? 1 : 0)); }
    static Plist integer(std::uint64_t value) { return Plist(plist_new_uint(value)); }
    static Plist real(double value) { return Plist(plist_new_real(value)); }
    static Plist data(const std::vector<std::uint8_t>& bytes) {
        return Plist(plist_new_data(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    }
    static Plist array(std::initializer_list<Plist> elements);
    static Plist dict(std::initializer_list<std::pair<const char*, Plist>> entries);

    std::vector<std::uint8_t> binary() const;
    std::vector<std::uint8_t> xml() const;

    plist_t node() const { return node_; }

  private:
    plist_t node_;
};

// A Control Center application entry, {"isAllowed": allowed, "location": location}.
Plist entry(bool allowed, const Plist& location);
// {"bundle": {"_0": identifier}}: the shape real files use for a bundle location.
Plist bundleLocation(const std::string& identifier);
// The outer file: {"trackedApplications": <binary plist of `entries`>}.
Plist controlCenterFile(const Plist& entries);
// The outer file hiding the applications with these bundle identifiers.
Plist hiddenSetFile(const std::vector<std::string>& identifiers);

std::vector<std::uint8_t> bytesOf(const std::string& text);

}  // namespace stowbar::test
