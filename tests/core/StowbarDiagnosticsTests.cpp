#include "core/StowbarDiagnostics.hpp"

#include <fcntl.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <sstream>

#include "adapters/linux/LinuxAccessibility.hpp"
#include "adapters/linux/LinuxScreenCapture.hpp"
#include "adapters/linux/LinuxWorkspace.hpp"
#include "adapters/plist/LibplistReader.hpp"
#include "adapters/posix/PosixFileSystem.hpp"
#include "support/FakeApplication.hpp"
#include "support/FakeImageRenderer.hpp"
#include "support/FakeSystemInfo.hpp"
#include "support/InertShell.hpp"
#include "support/PlistBuilder.hpp"
#include "support/TemporaryDirectory.hpp"

namespace stowbar {
namespace {

using test::Plist;

constexpr const char* kRelativePath =
    "Library/Group Containers/group.com.apple.controlcenter/Library/Preferences/"
    "group.com.apple.controlcenter.plist";

// 2026-01-31 08:05:09 UTC, and three quarters of a second.
constexpr timespec kModified{1769846709, 750000000};

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

class StowbarDiagnosticsTest : public ::testing::Test {
  protected:
    StowbarDiagnosticsTest() { system.home = home.path().string(); }

    std::string report(const FileSystem& fileSystem) {
        std::ostringstream out;
        test::InertShell inertShell;
        const Platform platform{system,    fileSystem,      propertyLists, accessibility,
                                workspace, screenCapture,   imageRenderer, application,
                                out,       inertShell.ports};
        StowbarDiagnostics::run(platform);
        return out.str();
    }
    std::string report() { return report(files); }

    void writeFile(const std::vector<std::uint8_t>& bytes) {
        const auto path = home.write(kRelativePath, bytes);
        const timespec times[2] = {kModified, kModified};
        ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    }
    std::string path() const { return (home.path() / kRelativePath).string(); }

    test::TemporaryDirectory home;
    test::FakeSystemInfo system;
    PosixFileSystem files;
    LibplistReader propertyLists;
    LinuxAccessibility accessibility;
    LinuxWorkspace workspace;
    LinuxScreenCapture screenCapture;
    test::FakeImageRenderer imageRenderer;
    test::FakeApplication application;
};

constexpr const char* kHead = "=== Stowbar diagnostics ===\nmacOS 26.1.0\n\n";
constexpr const char* kNotTrusted =
    "--- Accessibility + AXExtrasMenuBar discovery ---\n"
    "AXIsProcessTrusted: false\n"
    ">>> Not trusted. Grant this binary Accessibility in System Settings > Privacy & Security,\n"
    ">>> then re-run. The file/parse diagnostics above do not need this.\n"
    "\n";

TEST_F(StowbarDiagnosticsTest, AMissingFileShowsTheFailedStepsAndNoSnapshot) {
    EXPECT_EQ(report(), std::string(kHead) +
                            "--- Control Center prefs file (direct read, NOT cfprefsd) ---\n"
                            "path: " +
                            path() +
                            "\n"
                            "stat: FAILED (missing or TCC-blocked)\n"
                            "Data(contentsOf:) FAILED: No such file or directory\n"
                            ">>> The app cannot read the file at runtime \u2014 this alone would "
                            "explain missed updates.\n"
                            "\n"
                            "--- Parsed hidden set (ControlCenterTrackedApps.loadSnapshot) ---\n"
                            "loadSnapshot() returned nil (read/parse failed)\n"
                            "\n" +
                            kNotTrusted);
}

TEST_F(StowbarDiagnosticsTest, HiddenIdentifiersAreListedInCanonicalOrdinalOrder) {
    // "e\u0301" composes to "\u00e9". Unnormalised, the decomposed "cafe\u0301.z" would sort
    // before "caf\u00e9.a" because 'e' is below the first byte of U+00E9.
    const auto hidden = [](const std::string& id) {
        return test::entry(false, test::bundleLocation(id));
    };
    const auto file = test::controlCenterFile(
        Plist::array({hidden("com.b"), hidden("caf\u00e9.a"), hidden("Com.b"), hidden("com.a"),
                      hidden("cafe\u0301.z"), hidden("com.ab")}));
    writeFile(file.binary());
    const auto size = std::to_string(file.binary().size());
    EXPECT_EQ(report(), std::string(kHead) +
                            "--- Control Center prefs file (direct read, NOT cfprefsd) ---\n"
                            "path: " +
                            path() +
                            "\n"
                            "stat: size=" +
                            size +
                            " bytes  modified=2026-01-31 08:05:09 +0000\n"
                            "Data(contentsOf:) read OK: " +
                            size +
                            " bytes\n"
                            "\n"
                            "--- Parsed hidden set (ControlCenterTrackedApps.loadSnapshot) ---\n"
                            "fingerprint: size=" +
                            size +
                            "  modified=2026-01-31 08:05:09 +0000\n"
                            "hidden bundle identifiers (6):\n"
                            "  \u2022 Com.b\n"
                            "  \u2022 caf\u00e9.a\n"
                            "  \u2022 cafe\u0301.z\n"
                            "  \u2022 com.a\n"
                            "  \u2022 com.ab\n"
                            "  \u2022 com.b\n"
                            "\n" +
                            kNotTrusted);
}

TEST_F(StowbarDiagnosticsTest, FileSectionsShowEachStateOfTheFile) {
    struct Case {
        const char* name;
        std::vector<std::uint8_t> bytes;
        const char* snapshotLines;
    };
    const Case cases[] = {
        {"not a property list", test::bytesOf("garbage"),
         "loadSnapshot() returned nil (read/parse failed)\n\n"},
        {"no usable trackedApplications", Plist::dict({}).xml(),
         "fingerprint: size=@  modified=2026-01-31 08:05:09 +0000\n"
         "hidden bundle identifiers (0):\n\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        writeFile(c.bytes);
        const auto size = std::to_string(c.bytes.size());
        std::string snapshotLines = c.snapshotLines;
        if (const auto at = snapshotLines.find('@'); at != std::string::npos) {
            snapshotLines.replace(at, 1, size);
        }
        EXPECT_EQ(report(),
                  std::string(kHead) +
                      "--- Control Center prefs file (direct read, NOT cfprefsd) ---\n"
                      "path: " +
                      path() +
                      "\n"
                      "stat: size=" +
                      size +
                      " bytes  modified=2026-01-31 08:05:09 +0000\n"
                      "Data(contentsOf:) read OK: " +
                      size +
                      " bytes\n"
                      "\n"
                      "--- Parsed hidden set (ControlCenterTrackedApps.loadSnapshot) ---\n" +
                      snapshotLines + kNotTrusted);
    }
}

TEST_F(StowbarDiagnosticsTest, AMissingSizeShowsAsZeroInTheFileSectionAndAsUnknownInTheSnapshot) {
    writeFile(Plist::dict({}).binary());
    const SizelessFileSystem sizeless;
    const auto text = report(sizeless);
    EXPECT_NE(text.find("stat: size=0 bytes  modified=2026-01-31 08:05:09 +0000\n"),
              std::string::npos);
    EXPECT_NE(text.find("fingerprint: size=?  modified=2026-01-31 08:05:09 +0000\n"),
              std::string::npos);
}

TEST_F(StowbarDiagnosticsTest, UnreadableContentsShowTheReadErrorAfterTheAttributes) {
    std::filesystem::create_directories(path());
    const auto text = report();
    EXPECT_NE(text.find("stat: size="), std::string::npos);
    EXPECT_NE(text.find("Data(contentsOf:) FAILED: Is a directory\n>>> "), std::string::npos);
    EXPECT_NE(text.find("loadSnapshot() returned nil (read/parse failed)\n\n"), std::string::npos);
}

}  // namespace
}  // namespace stowbar
