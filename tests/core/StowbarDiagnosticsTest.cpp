#include "adapters/posix/PosixFileSystem.hpp"
#include "adapters/sim/SimulatedDesktop.hpp"
#include "core/StowbarDiagnostics.hpp"

#include <fcntl.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/FileSystem.hpp"
#include "support/Golden.hpp"
#include "support/PlistBuilder.hpp"
#include "support/SimulatedPlatform.hpp"

namespace stowbar {
namespace {

using test::Plist;

// Reports attributes without a size, as some file systems do.
struct SizelessFileSystem final : FileSystem {
    PosixFileSystem real;
    std::optional<FileAttributes> attributes(const std::string& path) const override {
        auto attributes = real.attributes(path);
        if (attributes) {
            attributes->size.reset();
        }
        return attributes;
    }
    FileReadResult readFile(const std::string& path) const override { return real.readFile(path); }
};

// The file and snapshot sections, for each state of the file; Accessibility is not granted, so
// the report ends with its advice. Hidden identifiers are listed in canonical ordinal order:
// "e\u0301" composes to "\u00e9", and unnormalised the decomposed "cafe\u0301.z" would sort before
// "caf\u00e9.a" because 'e' is below the first byte of U+00E9.
TEST(StowbarDiagnostics, TheReportShowsEachStateOfTheFileAndItsHiddenSet) {
    struct Row {
        const char* golden;
        std::function<std::vector<std::uint8_t>()> contents;  // empty: a directory
        bool sizeless;
    };
    const Row rows[] = {
        {"diagnose-ordered.txt",
         [] {
             return test::hiddenSetFile(
                        {"com.b", "caf\u00e9.a", "Com.b", "com.a", "cafe\u0301.z", "com.ab"})
                 .binary();
         },
         false},
        {"diagnose-garbage.txt", [] { return test::bytesOf("garbage"); }, false},
        {"diagnose-no-tracked-applications.txt", [] { return Plist::dict({}).xml(); }, false},
        // A missing size shows as zero in the file section and as unknown in the snapshot.
        {"diagnose-sizeless.txt", [] { return Plist::dict({}).binary(); }, true},
        // Contents that cannot be read show the read error after the attributes (of a directory,
        // whose size depends on the file system, so it is not shown).
        {"diagnose-directory.txt", [] { return std::vector<std::uint8_t>{}; }, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.golden);
        test::SimulatedPlatform ports;
        ports.simulation.update(
            [](SimulatedDesktop& desktop) { desktop.accessibilityTrusted = false; });
        const auto bytes = row.contents();
        if (bytes.empty()) {
            std::filesystem::create_directories(ports.controlCenterPath());
        } else {
            ports.home.write(test::kControlCenterFile, bytes);
        }
        // 2026-01-31 08:05:09 UTC, and three quarters of a second.
        const timespec times[2] = {{1769846709, 750000000}, {1769846709, 750000000}};
        ASSERT_EQ(utimensat(AT_FDCWD, ports.controlCenterPath().c_str(), times, 0), 0);
        const SizelessFileSystem sizeless;
        StowbarDiagnostics::run(ports.platform({.files = row.sizeless ? &sizeless : nullptr}));
        test::expectGolden(row.golden, ports.out.str(), {{ports.home.path().string(), "$HOME"}});
    }
}

}  // namespace
}  // namespace stowbar
