#include "core/ControlCenterTrackedApps.hpp"
#include "platform/FileSystem.hpp"
#include "platform/PropertyList.hpp"
#include "platform/SystemInfo.hpp"

#include <cstdint>
#include <optional>
#include <set>
#include <span>
#include <string>

namespace stowbar {

namespace {

ControlCenterTrackedApps::Fingerprint fingerprintFrom(const FileAttributes& attributes) {
    return {attributes.modificationDate, attributes.size};
}

// True when `value` is an array and every element is a dictionary. Property-list
// dictionaries always have string keys, so nothing more needs checking.
bool isArrayOfDictionaries(const PlistValue& value) {
    const auto* array = value.as<PlistValue::Array>();
    if (array == nullptr) {
        return false;
    }
    for (const auto& element : *array) {
        if (element.as<PlistValue::Dictionary>() == nullptr) {
            return false;
        }
    }
    return true;
}

void insertIfNonEmptyString(const PlistValue* value, std::set<std::string>& into) {
    if (value == nullptr) {
        return;
    }
    if (const auto* text = value->as<std::string>(); text != nullptr && !text->empty()) {
        into.insert(*text);
    }
}

}  // namespace

std::string expandTildeInPath(const std::string& path, const std::optional<std::string>& home) {
    if (!home || path.empty() || path[0] != '~' || (path.size() > 1 && path[1] != '/')) {
        return path;
    }
    std::string base = *home;
    while (base.size() > 1 && base.back() == '/') {
        base.pop_back();
    }
    std::string rest = path.substr(1);
    if (base == "/" && !rest.empty()) {
        return rest;
    }
    return base + rest;
}

ControlCenterTrackedApps::ControlCenterTrackedApps(const SystemInfo& system,
                                                   const FileSystem& files,
                                                   const PropertyListReader& propertyLists)
    : files_(files),
      propertyLists_(propertyLists),
      groupPrefsURL_(expandTildeInPath(kGroupPrefsPath, system.homeDirectory())) {}

std::optional<ControlCenterTrackedApps::Fingerprint> ControlCenterTrackedApps::fingerprint() const {
    const auto attributes = files_.attributes(groupPrefsURL_);
    if (!attributes) {
        return std::nullopt;
    }
    return fingerprintFrom(*attributes);
}

std::optional<ControlCenterTrackedApps::Snapshot> ControlCenterTrackedApps::loadSnapshot() const {
    const auto attributes = files_.attributes(groupPrefsURL_);
    if (!attributes) {
        return std::nullopt;
    }
    const auto contents = files_.readFile(groupPrefsURL_);
    if (!contents.bytes) {
        return std::nullopt;
    }
    return snapshotFrom(fingerprintFrom(*attributes), *contents.bytes);
}

std::optional<ControlCenterTrackedApps::Snapshot> ControlCenterTrackedApps::snapshotFrom(
    const Fingerprint& fingerprint, std::span<const std::uint8_t> contents) const {
    Snapshot snapshot{fingerprint, {}};
    const auto root = propertyLists_.parse(contents);
    if (!root) {
        return std::nullopt;
    }

    // From here on a file of an unexpected shape still yields a snapshot: the file was read,
    // it just hides nothing.
    const PlistValue* tracked = root->find("trackedApplications");
    const auto* blob = tracked != nullptr ? tracked->as<PlistValue::Data>() : nullptr;
    if (blob == nullptr) {
        return snapshot;
    }
    const auto entries = propertyLists_.parse(*blob);
    if (!entries) {
        return std::nullopt;
    }
    if (!isArrayOfDictionaries(*entries)) {
        return snapshot;
    }

    for (const auto& entry : *entries->as<PlistValue::Array>()) {
        const PlistValue* isAllowed = entry.find("isAllowed");
        const bool* allowed = isAllowed != nullptr ? isAllowed->as<bool>() : nullptr;
        if (allowed == nullptr || *allowed) {
            continue;
        }
        if (const PlistValue* location = entry.find("location")) {
            decodeIdentifiers(*location, snapshot.hiddenBundleIdentifiers);
        }
        if (const PlistValue* menuItems = entry.find("menuItemLocations")) {
            if (const auto* locations = menuItems->as<PlistValue::Array>()) {
                for (const auto& location : *locations) {
                    decodeIdentifiers(location, snapshot.hiddenBundleIdentifiers);
                }
            }
        }
    }
    return snapshot;
}

// Recursion follows "bundle" values and array elements only. Its depth is bounded by the
// property-list reader's nesting limit, so a hostile file cannot exhaust the stack here.
void ControlCenterTrackedApps::decodeIdentifiers(const PlistValue& location,
                                                 std::set<std::string>& into) {
    if (location.as<PlistValue::Dictionary>() != nullptr) {
        if (const PlistValue* bundle = location.find("bundle")) {
            decodeIdentifiers(*bundle, into);
        }
        insertIfNonEmptyString(location.find("_0"), into);
        insertIfNonEmptyString(location.find("adhocBinary"), into);
    } else if (const auto* array = location.as<PlistValue::Array>()) {
        for (const auto& element : *array) {
            decodeIdentifiers(element, into);
        }
    } else {
        insertIfNonEmptyString(&location, into);
    }
}

}  // namespace stowbar
