#pragma once

// One suite for every FileSystem: attributes and whole-file reads as platform/FileSystem.hpp
// promises them, on real files in a temporary directory.
//
// Its harness has
//     const FileSystem& files();
//     std::filesystem::path directory();   // an empty directory of its own

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/FileSystem.hpp"

namespace stowbar::conformance {

template <class Harness>
class FileSystemConformance : public ::testing::Test {
  protected:
    std::string make(const std::string& name, const std::string& contents) {
        const auto path = harness.directory() / name;
        std::ofstream(path, std::ios::binary) << contents;
        return path.string();
    }
    Harness harness;
};

TYPED_TEST_SUITE_P(FileSystemConformance);

TYPED_TEST_P(FileSystemConformance, ReadsWholeRegularFilesAndRefusesEverythingElseWithAReason) {
    const FileSystem& files = this->harness.files();
    const auto directory = this->harness.directory();
    const std::string file = this->make("prefs.plist", "bplist00");
    std::filesystem::create_symlink(file, directory / "link");
    const std::string huge = this->make("huge", "");
    std::filesystem::resize_file(huge, FileSystem::kMaximumReadSize + 1);

    const auto read = files.readFile(file);
    ASSERT_TRUE(read.succeeded());
    EXPECT_EQ(std::string(read.bytes->begin(), read.bytes->end()), "bplist00");
    EXPECT_EQ(files.readFile((directory / "link").string()).bytes, read.bytes)
        << "a symbolic link is followed";
    std::optional<std::vector<std::uint8_t>> offMain;
    std::thread([&] { offMain = files.readFile(file).bytes; }).join();
    EXPECT_EQ(offMain, read.bytes) << "any thread may read";

    const std::vector<std::pair<const char*, std::string>> refused = {
        {"missing", (directory / "missing").string()},
        {"a directory", directory.string()},
        {"larger than the bound", huge},
    };
    for (const auto& [name, path] : refused) {
        const auto result = files.readFile(path);
        EXPECT_FALSE(result.succeeded()) << name;
        EXPECT_FALSE(result.errorDescription.empty()) << name;
    }
}

TYPED_TEST_P(FileSystemConformance, GivesExactAttributesThatCompareEqualWhileTheFileIsUnchanged) {
    const FileSystem& files = this->harness.files();
    const auto directory = this->harness.directory();
    const std::string file = this->make("prefs.plist", "12345");
    std::filesystem::create_symlink(file, directory / "link");

    const auto first = files.attributes(file);
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(first->size, 5u);
    ASSERT_TRUE(first->modificationDate.has_value());
    EXPECT_EQ(files.attributes(file)->modificationDate, first->modificationDate);
    EXPECT_EQ(files.attributes((directory / "link").string())->size, 5u);
    EXPECT_FALSE(files.attributes((directory / "missing").string()).has_value());

    // Set the time a whole second on, so that a clock of any resolution sees the change.
    std::filesystem::last_write_time(
        file, std::filesystem::last_write_time(file) + std::chrono::seconds(1));
    EXPECT_NE(files.attributes(file)->modificationDate, first->modificationDate);
}

REGISTER_TYPED_TEST_SUITE_P(FileSystemConformance,
                            ReadsWholeRegularFilesAndRefusesEverythingElseWithAReason,
                            GivesExactAttributesThatCompareEqualWhileTheFileIsUnchanged);

}  // namespace stowbar::conformance
