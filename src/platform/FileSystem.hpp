#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace stowbar {

// A point in time as the file system reports it: whole seconds since the Unix epoch plus
// nanoseconds in [0, 1e9). Kept as integers so that two readings of an unchanged file compare
// exactly equal.
struct FileTimestamp {
    std::int64_t seconds = 0;
    std::int32_t nanoseconds = 0;

    friend bool operator==(const FileTimestamp&, const FileTimestamp&) = default;
};

struct FileAttributes {
    std::optional<FileTimestamp> modificationDate;
    std::optional<std::uint64_t> size;
};

// The outcome of a whole-file read: either the bytes or a human-readable reason.
struct FileReadResult {
    std::optional<std::vector<std::uint8_t>> bytes;
    std::string errorDescription;

    bool succeeded() const { return bytes.has_value(); }
};

// Files on disk, read-only.
//
// Threading: every call is synchronous, keeps no state between calls and is safe from any
// thread. Nothing is ever written, created or locked through this interface.
class FileSystem {
  public:
    // Larger files are refused by readFile: no file this program reads comes near this, and
    // the bound keeps a strange file at the path from exhausting memory.
    static constexpr std::uint64_t kMaximumReadSize = 64ull * 1024 * 1024;

    virtual ~FileSystem() = default;

    // Attributes of the object at `path` (symbolic links followed); absent when it cannot be
    // examined.
    virtual std::optional<FileAttributes> attributes(const std::string& path) const = 0;

    // Reads a whole regular file. Fails, with a description, for anything that is not a
    // regular file or is larger than kMaximumReadSize.
    virtual FileReadResult readFile(const std::string& path) const = 0;
};

}  // namespace stowbar
