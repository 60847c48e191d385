#include "core/ControlCenterTrackedApps.hpp"

#include <gtest/gtest.h>
#include <plist/plist.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "support/Golden.hpp"
#include "support/PlistBuilder.hpp"
#include "support/SimulatedPlatform.hpp"
#include "support/TemporaryDirectory.hpp"

namespace stowbar {
namespace {

using test::Plist;

// The reader over real files in a temporary home.
class ControlCenterTrackedAppsTest : public ::testing::Test, protected test::SimulatedPlatform {
  protected:
    ControlCenterTrackedApps reader() const { return {system, realFiles, propertyLists}; }
    std::filesystem::path write(const std::vector<std::uint8_t>& bytes) const {
        return home.write(test::kControlCenterFile, bytes);
    }
};

TEST(ExpandTildeInPath, ReplacesOnlyALeadingTildeLikeAShellDoes) {
    test::expectGoldenTable("expand-tilde.txt", [](const std::string& line) {
        std::istringstream in(line);
        std::string path;
        std::string home;
        in >> path;
        return expandTildeInPath(path, in >> home ? std::optional(home) : std::nullopt);
    });
}

TEST_F(ControlCenterTrackedAppsTest, AMissingFileGivesNeitherFingerprintNorSnapshot) {
    EXPECT_FALSE(reader().fingerprint().has_value());
    EXPECT_FALSE(reader().loadSnapshot().has_value());
}

TEST_F(ControlCenterTrackedAppsTest, ReadsTheHiddenSetFromEveryShapeOfFile) {
    test::expectGoldenTable("tracked-applications.txt", [this](const std::string& line) {
        const auto space = line.find(' ');
        const std::string kind = line.substr(0, space);
        const std::string xml = "<plist version=\"1.0\">" + line.substr(space + 1) + "</plist>";
        plist_t node = nullptr;
        plist_from_xml(xml.c_str(), static_cast<std::uint32_t>(xml.size()), &node);
        if (node == nullptr) {
            ADD_FAILURE() << line;
            return std::string("not a property list");
        }
        const Plist value(node);
        const Plist file = kind == "file" ? value
                           : kind == "entries"
                               ? test::controlCenterFile(value)
                               : Plist::dict({{"trackedApplications", Plist::data(value.xml())}});
        std::string answers[2];
        for (const bool binary : {true, false}) {
            write(binary ? file.binary() : file.xml());
            const auto snapshot = reader().loadSnapshot();
            std::string& answer = answers[binary ? 0 : 1];
            answer = "none";
            if (snapshot) {
                answer = "hides:";
                for (const auto& identifier : snapshot->hiddenBundleIdentifiers) {
                    answer += " '" + identifier + "'";
                }
                EXPECT_EQ(snapshot->fingerprint, reader().fingerprint()) << line;
            }
        }
        EXPECT_EQ(answers[0], answers[1]) << "binary and XML differ: " << line;
        return answers[0];
    });
}

TEST_F(ControlCenterTrackedAppsTest, FingerprintChangesWhenTheFileIsTouchedOrResized) {
    const auto path = write(test::bytesOf("first"));
    const auto original = reader().fingerprint();
    ASSERT_TRUE(original.has_value());
    EXPECT_EQ(original, reader().fingerprint()) << "an unchanged file reads the same";
    EXPECT_EQ(original->fileSize, 5u);

    std::filesystem::last_write_time(
        path, std::filesystem::last_write_time(path) + std::chrono::milliseconds(1500));
    const auto touched = reader().fingerprint();
    EXPECT_NE(touched, original) << "new modification date, same size";
    EXPECT_EQ(touched->fileSize, original->fileSize);

    const auto mtime = std::filesystem::last_write_time(path);
    write(test::bytesOf("second!"));
    std::filesystem::last_write_time(path, mtime);
    EXPECT_NE(reader().fingerprint(), touched) << "same modification date, new size";
}

}  // namespace
}  // namespace stowbar
