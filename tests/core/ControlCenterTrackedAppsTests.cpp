#include "core/ControlCenterTrackedApps.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "support/PlistBuilder.hpp"
#include "support/SimulatedPlatform.hpp"
#include "support/TemporaryDirectory.hpp"

namespace stowbar {
namespace {

using test::Plist;
using Identifiers = std::set<std::string>;

// The reader over real files in a temporary home.
class ControlCenterTrackedAppsTest : public ::testing::Test, protected test::SimulatedPlatform {
  protected:
    ControlCenterTrackedApps reader() const { return {system, realFiles, propertyLists}; }
    std::filesystem::path write(const std::vector<std::uint8_t>& bytes) const {
        return home.write(test::kControlCenterFile, bytes);
    }
};

TEST(ExpandTildeInPath, ReplacesOnlyALeadingTildeLikeAShellDoes) {
    struct Case {
        std::string path;
        std::optional<std::string> home;
        std::string expected;
    };
    const Case cases[] = {
        {"~/Library/x", "/home/ann", "/home/ann/Library/x"},
        {"~/Library/x", "/home/ann/", "/home/ann/Library/x"},
        {"~/Library/x", "/", "/Library/x"},
        {"~", "/home/ann", "/home/ann"},
        {"~other/x", "/home/ann", "~other/x"},
        {"/abs/~/x", "/home/ann", "/abs/~/x"},
        {"~/Library/x", std::nullopt, "~/Library/x"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(expandTildeInPath(c.path, c.home), c.expected) << c.path;
    }
}

TEST_F(ControlCenterTrackedAppsTest, AMissingFileGivesNeitherFingerprintNorSnapshot) {
    EXPECT_FALSE(reader().fingerprint().has_value());
    EXPECT_FALSE(reader().loadSnapshot().has_value());
}

// Each shape of file is tried in both the binary and the XML format of the outer list.
TEST_F(ControlCenterTrackedAppsTest, ReadsTheHiddenSetFromEveryShapeOfFile) {
    const auto hidden = [](const std::string& id) {
        return test::entry(false, test::bundleLocation(id));
    };
    const auto withEntries = [](std::initializer_list<Plist> entries) {
        return test::controlCenterFile(Plist::array(entries));
    };
    struct Case {
        const char* name;
        Plist file;
        std::optional<Identifiers> expected;  // absent: no snapshot
    };
    const Case cases[] = {
        {"root is an array", Plist::array({Plist::string("x")}), Identifiers{}},
        {"root is an empty dictionary", Plist::dict({}), Identifiers{}},
        {"no trackedApplications", Plist::dict({{"other", Plist::string("x")}}), Identifiers{}},
        {"trackedApplications is a string",
         Plist::dict({{"trackedApplications", Plist::string("com.a")}}), Identifiers{}},
        {"trackedApplications is not a property list",
         Plist::dict({{"trackedApplications", Plist::data(test::bytesOf("not a plist"))}}),
         std::nullopt},
        {"blob root is a dictionary", test::controlCenterFile(Plist::dict({})), Identifiers{}},
        {"one element of the blob is a string", withEntries({hidden("com.a"), Plist::string("x")}),
         Identifiers{}},
        {"hidden entry with bundle/_0", withEntries({hidden("com.a")}), Identifiers{"com.a"}},
        {"allowed entry", withEntries({test::entry(true, test::bundleLocation("com.a"))}),
         Identifiers{}},
        {"entry without isAllowed",
         withEntries({Plist::dict({{"location", test::bundleLocation("com.a")}})}), Identifiers{}},
        {"isAllowed as integer 0",
         withEntries({Plist::dict(
             {{"isAllowed", Plist::integer(0)}, {"location", test::bundleLocation("com.a")}})}),
         Identifiers{}},
        {"hidden entry without locations",
         withEntries({Plist::dict({{"isAllowed", Plist::boolean(false)}})}), Identifiers{}},
        {"bundle as a plain string",
         withEntries({test::entry(false, Plist::dict({{"bundle", Plist::string("com.a")}}))}),
         Identifiers{"com.a"}},
        {"bundle as an array of dictionaries",
         withEntries({test::entry(
             false,
             Plist::dict(
                 {{"bundle", Plist::array({Plist::dict({{"_0", Plist::string("com.a")}}),
                                           Plist::dict({{"_0", Plist::string("com.b")}})})}}))}),
         Identifiers{"com.a", "com.b"}},
        {"_0 and adhocBinary that are not strings are not decoded",
         withEntries({test::entry(
             false,
             Plist::dict({{"_0", Plist::array({Plist::string("com.a")})},
                          {"adhocBinary", Plist::dict({{"_0", Plist::string("com.b")}})}}))}),
         Identifiers{}},
        {"bundle and adhocBinary both count",
         withEntries({test::entry(false, Plist::dict({{"bundle", Plist::string("com.a")},
                                                      {"adhocBinary", Plist::string("/bin/b")}}))}),
         Identifiers{"com.a", "/bin/b"}},
        {"location as an array of strings and a plain string",
         withEntries({test::entry(false, Plist::array({Plist::string("com.a"), Plist::string("")})),
                      test::entry(false, Plist::string("com.b"))}),
         Identifiers{"com.a", "com.b"}},
        {"empty strings never enter, duplicates are held once",
         withEntries({hidden(""), hidden("com.a"), hidden("com.a")}), Identifiers{"com.a"}},
        {"identifiers are kept exactly as stored",
         withEntries({hidden("Com.A"), hidden("com.a"), hidden(" com.a ")}),
         Identifiers{"Com.A", "com.a", " com.a "}},
        {"menuItemLocations as a dictionary is ignored, location still counts",
         withEntries({Plist::dict({{"isAllowed", Plist::boolean(false)},
                                   {"location", test::bundleLocation("com.a")},
                                   {"menuItemLocations", test::bundleLocation("com.b")}})}),
         Identifiers{"com.a"}},
        {"menuItemLocations as an array counts without location",
         withEntries(
             {Plist::dict({{"isAllowed", Plist::boolean(false)},
                           {"menuItemLocations", Plist::array({test::bundleLocation("com.b"),
                                                               Plist::string("com.c")})}})}),
         Identifiers{"com.b", "com.c"}},
        {"numbers, dates and data yield nothing",
         withEntries({test::entry(
             false, Plist::array({Plist::integer(3), Plist::real(1.5), Plist::boolean(false),
                                  Plist::data(test::bytesOf("com.a"))}))}),
         Identifiers{}},
        {"blob in XML form",
         Plist::dict({{"trackedApplications", Plist::data(Plist::array({hidden("com.x")}).xml())}}),
         Identifiers{"com.x"}},
    };
    for (const auto& c : cases) {
        for (const bool binary : {true, false}) {
            SCOPED_TRACE(std::string(c.name) + (binary ? " (binary)" : " (XML)"));
            write(binary ? c.file.binary() : c.file.xml());
            const auto snapshot = reader().loadSnapshot();
            ASSERT_EQ(snapshot.has_value(), c.expected.has_value());
            if (snapshot) {
                EXPECT_EQ(snapshot->hiddenBundleIdentifiers, *c.expected);
                EXPECT_EQ(snapshot->fingerprint, reader().fingerprint());
            }
        }
    }
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
