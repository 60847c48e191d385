#pragma once

#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FileSystem.hpp"
#include "platform/PropertyList.hpp"
#include "platform/SystemInfo.hpp"

namespace stowbar {

// Reads Control Center's "Allow in the Menu Bar" choices straight from its group-container
// preferences file, never through the preferences daemon, and never writes or locks it.
//
// The reader keeps nothing between calls: every call goes to the file system again, so two
// calls may see two different files. It holds only an immutable path, so any thread may call
// it, also concurrently; each call does its file access synchronously on the calling thread.
class ControlCenterTrackedApps {
  public:
    // What the file system says about the file, without reading it: enough for a poller to
    // notice a change with one attribute query.
    struct Fingerprint {
        std::optional<FileTimestamp> modificationDate;
        std::optional<std::uint64_t> fileSize;

        friend bool operator==(const Fingerprint&, const Fingerprint&) = default;
    };

    struct Snapshot {
        // The file as it was just before its contents were read.
        Fingerprint fingerprint;
        // Bundle identifiers of the applications not allowed in the menu bar.
        std::set<std::string> hiddenBundleIdentifiers;

        friend bool operator==(const Snapshot&, const Snapshot&) = default;
    };

    // The file's location under the user's home directory, before tilde expansion.
    static constexpr const char* kGroupPrefsPath =
        "~/Library/Group Containers/group.com.apple.controlcenter/Library/Preferences/"
        "group.com.apple.controlcenter.plist";
    // The folder that holds the file, before tilde expansion. It is watched rather than the
    // file, so that a file replaced by a new one under its name still produces an event.
    static constexpr std::string_view kPrefsDirectoryPath =
        std::string_view(kGroupPrefsPath).substr(0, std::string_view(kGroupPrefsPath).rfind('/'));

    // The ports are borrowed and must outlive the reader.
    ControlCenterTrackedApps(const SystemInfo& system, const FileSystem& files,
                             const PropertyListReader& propertyLists);

    // Absolute file path of the preferences file, fixed at construction.
    const std::string& groupPrefsPath() const { return groupPrefsPath_; }

    // Absent when the file's attributes cannot be read.
    std::optional<Fingerprint> fingerprint() const;

    // Absent when the file cannot be examined, read or parsed (the outer file or the embedded
    // list); present, possibly with an empty set, otherwise.
    std::optional<Snapshot> loadSnapshot() const;

    // What the file's contents say, decoded but not yet copied out: a refresh, which reads the
    // file once both to learn whether it may and to see what it hides, looks at the hidden
    // identifiers in place.
    class Choices {
      public:
        // Appends every hidden bundle identifier, in file order and possibly more than once,
        // as it is held in these choices: valid while they, or choices moved from them, exist.
        void hiddenIdentifiers(std::vector<const std::string*>& into) const;

      private:
        friend class ControlCenterTrackedApps;
        // The decoded list of choices; absent when the file has none or not of the expected
        // shape, so hides nothing.
        std::optional<PlistValue> entries_;
    };

    // The choices `contents` hold: the steps of loadSnapshot after the read. Absent when the
    // contents (the outer file or the embedded list) cannot be parsed.
    std::optional<Choices> choicesFrom(std::span<const std::uint8_t> contents) const;

  private:
    // Adds every identifier a location value names to `into`.
    static void decodeIdentifiers(const PlistValue& location,
                                  std::vector<const std::string*>& into);

    const FileSystem& files_;
    const PropertyListReader& propertyLists_;
    const std::string groupPrefsPath_;
};

// Replaces a leading "~" (alone or followed by "/") by the home directory, as a shell does.
// Without a home directory the path is returned unchanged.
std::string expandTildeInPath(const std::string& path, const std::optional<std::string>& home);

}  // namespace stowbar
