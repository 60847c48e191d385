// From the bytes of Control Center's file to a snapshot, with nothing in between but an
// in-memory file: the whole path a hostile file at that location would take.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "adapters/plist/LibplistReader.hpp"
#include "core/ControlCenterTrackedApps.hpp"
#include "platform/FileSystem.hpp"
#include "platform/SystemInfo.hpp"
#include "runtime/Clock.hpp"

namespace {

struct MemorySystem final : stowbar::SystemInfo {
    std::optional<std::string> homeDirectory() const override { return "/home/fuzz"; }
    std::int32_t processIdentifier() const override { return 1; }
    stowbar::OperatingSystemVersion operatingSystemVersion() const override { return {}; }
    stowbar::Duration systemUptime() const override { return {}; }
};

struct MemoryFile final : stowbar::FileSystem {
    std::vector<std::uint8_t> bytes;
    std::optional<stowbar::FileAttributes> attributes(const std::string&) const override {
        return stowbar::FileAttributes{stowbar::FileTimestamp{1, 2}, bytes.size()};
    }
    stowbar::FileReadResult readFile(const std::string&) const override { return {bytes, {}}; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const MemorySystem system;
    static const stowbar::LibplistReader propertyLists;
    MemoryFile file;
    file.bytes.assign(data, data + size);
    const stowbar::ControlCenterTrackedApps reader(system, file, propertyLists);
    const auto snapshot = reader.loadSnapshot();
    if (snapshot && !snapshot->fingerprint.fileSize) {
        __builtin_trap();  // the fingerprint must come through whole
    }
    return 0;
}
