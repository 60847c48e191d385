#include "core/ControlCenterTrackedApps.hpp"
#include "platform/FileSystem.hpp"
#include "platform/PropertyList.hpp"
#include "platform/SystemInfo.hpp"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

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

void appendIfNonEmptyString(const PlistValue* value, std::vector<const std::string*>& into) {
    if (value == nullptr) {
        return;
    }
    if (const auto* text = value->as<std::string>(); text != nullptr && !text->empty()) {
        into.push_back(text);
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
      groupPrefsPath_(expandTildeInPath(kGroupPrefsPath, system.homeDirectory())) {}

std::optional<ControlCenterTrackedApps::Fingerprint> ControlCenterTrackedApps::fingerprint() const {
    const auto attributes = files_.attributes(groupPrefsPath_);
    if (!attributes) {
        return std::nullopt;
    }
    return fingerprintFrom(*attributes);
}

std::optional<ControlCenterTrackedApps::Snapshot> ControlCenterTrackedApps::loadSnapshot() const {
    const auto attributes = files_.attributes(groupPrefsPath_);
    if (!attributes) {
        return std::nullopt;
    }
    const auto contents = files_.readFile(groupPrefsPath_);
    if (!contents.bytes) {
        return std::nullopt;
    }
    const auto choices = choicesFrom(*contents.bytes);
    if (!choices) {
        return std::nullopt;
    }
    std::vector<const std::string*> hidden;
    choices->hiddenIdentifiers(hidden);
    Snapshot snapshot{fingerprintFrom(*attributes), {}};
    for (const auto* identifier : hidden) {
        snapshot.hiddenBundleIdentifiers.insert(*identifier);
    }
    return snapshot;
}

std::optional<ControlCenterTrackedApps::Choices> ControlCenterTrackedApps::choicesFrom(
    std::span<const std::uint8_t> contents) const {
    const auto root = propertyLists_.parse(contents);
    if (!root) {
        return std::nullopt;
    }

    // From here on a file of an unexpected shape still yields choices: the file was read, it
    // just hides nothing.
    Choices choices;
    const PlistValue* tracked = root->find("trackedApplications");
    const auto* blob = tracked != nullptr ? tracked->as<PlistValue::Data>() : nullptr;
    if (blob == nullptr) {
        return choices;
    }
    auto entries = propertyLists_.parse(*blob);
    if (!entries) {
        return std::nullopt;
    }
    if (isArrayOfDictionaries(*entries)) {
        choices.entries_ = std::move(entries);
    }
    return choices;
}

void ControlCenterTrackedApps::Choices::hiddenIdentifiers(
    std::vector<const std::string*>& into) const {
    if (!entries_) {
        return;
    }
    const auto& entries = *entries_->as<PlistValue::Array>();
    // Most entries name one application.
    into.reserve(into.size() + entries.size());
    for (const auto& entry : entries) {
        const PlistValue* isAllowed = entry.find("isAllowed");
        const bool* allowed = isAllowed != nullptr ? isAllowed->as<bool>() : nullptr;
        if (allowed == nullptr || *allowed) {
            continue;
        }
        if (const PlistValue* location = entry.find("location")) {
            decodeIdentifiers(*location, into);
        }
        if (const PlistValue* menuItems = entry.find("menuItemLocations")) {
            if (const auto* locations = menuItems->as<PlistValue::Array>()) {
                for (const auto& location : *locations) {
                    decodeIdentifiers(location, into);
                }
            }
        }
    }
}

// Recursion follows "bundle" values and array elements only. Its depth is bounded by the
// property-list reader's nesting limit, so a hostile file cannot exhaust the stack here.
void ControlCenterTrackedApps::decodeIdentifiers(const PlistValue& location,
                                                 std::vector<const std::string*>& into) {
    if (location.as<PlistValue::Dictionary>() != nullptr) {
        if (const PlistValue* bundle = location.find("bundle")) {
            decodeIdentifiers(*bundle, into);
        }
        appendIfNonEmptyString(location.find("_0"), into);
        appendIfNonEmptyString(location.find("adhocBinary"), into);
    } else if (const auto* array = location.as<PlistValue::Array>()) {
        for (const auto& element : *array) {
            decodeIdentifiers(element, into);
        }
    } else {
        appendIfNonEmptyString(&location, into);
    }
}

}  // namespace stowbar
