#pragma once

// One suite for every DirectoryWatcher: the directory watch promised by platform/ShellPorts.hpp,
// on real files in a temporary directory.
//
// Its harness has
//     DirectoryWatcher& watcher();
//     std::filesystem::path directory();               // an empty directory of its own
//     void written(const std::filesystem::path& file);  // told after the suite wrote `file`
//     bool runUntil(const std::function<bool()>& done); // turns the loop until `done` holds,
//                                                       // giving up after a few seconds

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "platform/ShellPorts.hpp"

namespace stowbar::conformance {

template <class Harness>
class DirectoryWatcherConformance : public ::testing::Test {
  protected:
    void write(const std::string& name) {
        const auto file = harness.directory() / name;
        std::ofstream(file) << name;
        harness.written(file);
    }
    Harness harness;
};

TYPED_TEST_SUITE_P(DirectoryWatcherConformance);

TYPED_TEST_P(DirectoryWatcherConformance, ReportsWritesInTheDirectoryUntilTheWatchIsCancelled) {
    DirectoryWatcher& watcher = this->harness.watcher();
    const std::string directory = this->harness.directory().string();
    int cancelledEvents = 0;
    int destroyedEvents = 0;
    int keptEvents = 0;
    auto cancelled = watcher.watch(directory, [&] { ++cancelledEvents; });
    auto destroyed = watcher.watch(directory, [&] { ++destroyedEvents; });
    auto kept = watcher.watch(directory, [&] { ++keptEvents; });
    ASSERT_NE(cancelled, nullptr);
    ASSERT_NE(destroyed, nullptr);
    ASSERT_NE(kept, nullptr);

    this->write("first");
    ASSERT_TRUE(this->harness.runUntil(
        [&] { return cancelledEvents > 0 && destroyedEvents > 0 && keptEvents > 0; }));

    cancelled->cancel();
    cancelled->cancel();
    destroyed.reset();
    const int seen = keptEvents;
    this->write("second");
    // The watch still open hears the write; the stopped ones, delivered alike, do not.
    ASSERT_TRUE(this->harness.runUntil([&] { return keptEvents > seen; }));
    EXPECT_EQ(cancelledEvents, 1);
    EXPECT_EQ(destroyedEvents, 1);
}

TYPED_TEST_P(DirectoryWatcherConformance, GivesNoWatchForWhatIsNotAnOpenableDirectory) {
    DirectoryWatcher& watcher = this->harness.watcher();
    this->write("plain-file");
    EXPECT_EQ(watcher.watch((this->harness.directory() / "missing").string(), [] {}), nullptr);
    EXPECT_EQ(watcher.watch((this->harness.directory() / "plain-file").string(), [] {}), nullptr);
}

REGISTER_TYPED_TEST_SUITE_P(DirectoryWatcherConformance,
                            ReportsWritesInTheDirectoryUntilTheWatchIsCancelled,
                            GivesNoWatchForWhatIsNotAnOpenableDirectory);

}  // namespace stowbar::conformance
