// End-to-end checks of the built stowbar-sim: the report over the example scenarios, and how
// it refuses scenario files it cannot use.

#include <fcntl.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "support/ChildProcess.hpp"
#include "support/Golden.hpp"
#include "support/PlistBuilder.hpp"
#include "support/TemporaryDirectory.hpp"

namespace stowbar {
namespace {

constexpr const char* kRelativePath =
    "Library/Group Containers/group.com.apple.controlcenter/Library/Preferences/"
    "group.com.apple.controlcenter.plist";

std::string example(const char* name) {
    return std::string(STOWBAR_EXAMPLES_DIR "/") + name;
}

// A scenario of the tests' own, next to its golden output.
std::string scenario(const char* name) {
    return std::string(STOWBAR_GOLDEN_DIR "/") + name;
}

// Runs stowbar-sim with HOME pointing at `home` and nothing else in its environment.
test::ProcessOutcome runSim(const test::TemporaryDirectory& home,
                            std::vector<std::string> arguments) {
    return test::runProgram(STOWBAR_SIM_EXECUTABLE, home, std::move(arguments));
}

// What is in the home directory at launch.
enum class Home : std::uint8_t {
    empty,
    watchedDirectory,  // Control Center's directory, so it is watched, but no file in it
    hiddenSet,         // a file hiding Alpha and Sleepy, modified 2026-01-31 08:05:09 UTC
};

void prepare(const test::TemporaryDirectory& home, Home contents) {
    if (contents == Home::watchedDirectory) {
        std::filesystem::create_directories(home.path() /
                                            std::filesystem::path(kRelativePath).parent_path());
    } else if (contents == Home::hiddenSet) {
        const auto hidden = [](const char* id) {
            return test::entry(false, test::bundleLocation(id));
        };
        const auto file = test::controlCenterFile(
            test::Plist::array({hidden("com.example.alpha"), hidden("com.example.sleepy"),
                                test::entry(true, test::bundleLocation("com.example.weather"))}));
        const auto path = home.write(kRelativePath, file.binary());
        const timespec modified{1769846709, 0};
        const timespec times[2] = {modified, modified};
        EXPECT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    }
}

// Each scenario gives the same output, line for line, however the scans' worker threads are
// scheduled. In background-triggers.json there is no file at launch, so no watch and no Full
// Disk Access: the poll finds the file written at 0.5 s on its first tick; a launch and a quit
// 0.1 s apart give one scan 0.3 s after the second; the second write is found by the poll only,
// while the permission is withdrawn, so nothing is scanned until it is granted again at 8 s. In
// panel.json a click on the second row closes the popover and presses Dropbox's extra 0.15 s
// later. In keyboard.json typing filters whatever the case and accents, Return presses the one
// match as a click would, and Escape clears a filter, then closes. A watched file's change
// refreshes 0.3 s after the last write. A login item awaiting approval shows its notice, but
// not outside an application bundle, where there is nothing to register; Alpha ends before
// its press 0.15 s after the click, and the press says so. A script's times are exact: 8.001 s
// is 0.35 s after 7.651 s, so the click at the duplicate window is accepted. Without Screen
// Recording no picture is taken; without Full Disk Access the file can be examined but not read.
TEST(StowbarSimExample, EachScenarioGivesItsGoldenReportOrTranscript) {
    const test::TemporaryDirectory pictures;
    const test::TemporaryDirectory elsewhere;
    struct Row {
        std::vector<std::string> arguments;
        const char* golden;
        Home home;
    };
    const Row rows[] = {
        {{example("desk.json"), "--diagnose"}, "sim-desk-diagnose.txt", Home::hiddenSet},
        {{example("untrusted.json"), "--diagnose"}, "sim-untrusted-diagnose.txt", Home::empty},
        // Arguments after the scenario go to the program, options of stowbar-sim before it.
        {{"--snapshots", elsewhere.path().string(), example("untrusted.json"), "--verbose",
          "--diagnose"},
         "sim-untrusted-diagnose.txt",
         Home::empty},
        {{example("windows.json"), "--diagnose"}, "sim-windows-diagnose.txt", Home::empty},
        {{example("background-triggers.json")}, "sim-background-triggers.jsonl", Home::empty},
        {{"--snapshots", pictures.path().string(), example("panel.json")},
         "sim-panel.jsonl",
         Home::empty},
        {{example("keyboard.json")}, "sim-keyboard.jsonl", Home::empty},
        {{scenario("sim-watched-write.json")}, "sim-watched-write.jsonl", Home::watchedDirectory},
        {{scenario("sim-approval-notice-and-gone-press.json")},
         "sim-approval-notice-and-gone-press.jsonl",
         Home::hiddenSet},
        {{scenario("sim-gone-press-outside-bundle.json")},
         "sim-gone-press-outside-bundle.jsonl",
         Home::hiddenSet},
        {{scenario("sim-exact-times.json")}, "sim-exact-times.jsonl", Home::hiddenSet},
        {{scenario("sim-no-screen-recording.json")},
         "sim-no-screen-recording.jsonl",
         Home::hiddenSet},
        {{scenario("sim-no-full-disk-access.json"), "--diagnose"},
         "sim-no-full-disk-access-diagnose.txt",
         Home::hiddenSet},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.arguments.front());
        const test::TemporaryDirectory home;
        prepare(home, row.home);
        const auto outcome = runSim(home, row.arguments);
        EXPECT_EQ(outcome.status, 0);
        EXPECT_EQ(outcome.err, "");
        test::expectGolden(row.golden, outcome.out, {{home.path().string(), "$HOME"}});
    }
    std::vector<std::string> written;
    for (const auto& entry : std::filesystem::directory_iterator(pictures.path())) {
        written.push_back(entry.path().filename().string());
    }
    std::sort(written.begin(), written.end());
    EXPECT_EQ(written, (std::vector<std::string>{
                           "0001-accessibility.png", "0002-fullDiskAccess.png", "0003-loading.png",
                           "0004-list.png", "0005-list.png", "0006-accessibility.png"}));
}

// Replaces every `value` in `text` by `placeholder`.
std::string replaced(std::string text, const std::string& value, const std::string& placeholder) {
    for (auto at = text.find(value); at != std::string::npos;
         at = text.find(value, at + placeholder.size())) {
        text.replace(at, value.size(), placeholder);
    }
    return text;
}

TEST(StowbarSimExecutable, WhatCannotBeUsedIsRefusedAtTheStartWithStatusTwoAndOneLine) {
    const test::TemporaryDirectory home;
    home.write("file", test::bytesOf("not a folder"));
    const std::vector<std::pair<std::string, std::string>> places = {
        {"$HOME", home.path().string()},
        {"$EXAMPLES", STOWBAR_EXAMPLES_DIR},
        {"$GOLDEN", STOWBAR_GOLDEN_DIR}};
    const auto usage = test::readWholeFile(STOWBAR_GOLDEN_DIR "/sim-usage.txt");
    test::expectGolden("sim-usage.txt", runSim(home, {}).err);
    test::expectGoldenTable("sim-refusals.txt", [&](const std::string& line) {
        std::istringstream words(line);
        std::string word;
        words >> word;  // the program's name
        std::vector<std::string> arguments;
        while (words >> word) {
            for (const auto& [placeholder, value] : places) {
                word = replaced(word, placeholder, value);
            }
            arguments.push_back(word);
        }
        const auto outcome = runSim(home, arguments);
        EXPECT_FALSE(std::filesystem::exists(home.path() / "pictures")) << line;
        std::string said = "status " + std::to_string(outcome.status) + "\n" + outcome.out +
                           replaced(outcome.err, usage, "(the usage in sim-usage.txt)\n");
        for (const auto& [placeholder, value] : places) {
            said = replaced(said, value, placeholder);
        }
        return said;
    });
}

}  // namespace
}  // namespace stowbar
