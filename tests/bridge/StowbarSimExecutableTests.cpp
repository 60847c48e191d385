// End-to-end checks of the built stowbar-sim: the report over the example scenarios, and how
// it refuses scenario files it cannot use.

#include <fcntl.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <algorithm>

#include <ctime>
#include <filesystem>
#include <fstream>
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
// 2026-01-31 08:05:09 UTC.
constexpr timespec kModified{1769846709, 0};

std::string example(const char* name) {
    return std::string(STOWBAR_EXAMPLES_DIR "/") + name;
}

// Runs stowbar-sim with HOME pointing at `home` and nothing else in its environment.
test::ProcessOutcome runSim(const test::TemporaryDirectory& home,
                            std::vector<std::string> arguments) {
    return test::runProgram(STOWBAR_SIM_EXECUTABLE, home, std::move(arguments));
}

// A Control Center file under `home` that hides Alpha and Sleepy, with a fixed modification
// time; returns its size.
std::string writeHiddenSet(const test::TemporaryDirectory& home) {
    const auto hidden = [](const char* id) {
        return test::entry(false, test::bundleLocation(id));
    };
    const auto file = test::controlCenterFile(
        test::Plist::array({hidden("com.example.alpha"), hidden("com.example.sleepy"),
                            test::entry(true, test::bundleLocation("com.example.weather"))}));
    const auto path = home.write(kRelativePath, file.binary());
    const timespec times[2] = {kModified, kModified};
    EXPECT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    return std::to_string(file.binary().size());
}

class StowbarSimExecutable : public ::testing::Test {
  protected:
    test::TemporaryDirectory home;
};

// Each example gives the same output, line for line, however the scans' worker threads are
// scheduled. In background-triggers.json there is no file at launch, so no watch and no Full
// Disk Access: the poll finds the file written at 0.5 s on its first tick; a launch and a quit
// 0.1 s apart give one scan 0.3 s after the second; the second write is found by the poll only,
// while the permission is withdrawn, so nothing is scanned until it is granted again at 8 s. In
// panel.json a click on the second row closes the popover and presses Dropbox's extra 0.15 s
// later. In keyboard.json typing filters whatever the case and accents, Return presses the one
// match as a click would, and Escape clears a filter, then closes.
TEST(StowbarSimExample, EachExampleGivesItsGoldenReportOrTranscript) {
    const test::TemporaryDirectory pictures;
    const test::TemporaryDirectory elsewhere;
    struct Row {
        std::vector<std::string> arguments;
        const char* golden;
        bool hiddenSet;
    };
    const Row rows[] = {
        {{example("desk.json"), "--diagnose"}, "sim-desk-diagnose.txt", true},
        {{example("untrusted.json"), "--diagnose"}, "sim-untrusted-diagnose.txt", false},
        // Arguments after the scenario go to the program, options of stowbar-sim before it.
        {{"--snapshots", elsewhere.path().string(), example("untrusted.json"), "--verbose",
          "--diagnose"},
         "sim-untrusted-diagnose.txt",
         false},
        {{example("windows.json"), "--diagnose"}, "sim-windows-diagnose.txt", false},
        {{example("background-triggers.json")}, "sim-background-triggers.jsonl", false},
        {{"--snapshots", pictures.path().string(), example("panel.json")},
         "sim-panel.jsonl",
         false},
        {{example("keyboard.json")}, "sim-keyboard.jsonl", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.arguments.front());
        const test::TemporaryDirectory home;
        if (row.hiddenSet) {
            writeHiddenSet(home);
        }
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

TEST_F(StowbarSimExecutable, WithoutFullDiskAccessTheFileCanBeExaminedButNotRead) {
    const auto size = writeHiddenSet(home);
    const auto scenario =
        home.write("scenario.json", test::bytesOf("{\"fullDiskAccessGranted\": false}"));
    const auto outcome = runSim(home, {scenario.string(), "--diagnose"});
    EXPECT_EQ(outcome.status, 0);
    EXPECT_NE(outcome.out.find("stat: size=" + size +
                               " bytes  modified=2026-01-31 08:05:09 "
                               "+0000\nData(contentsOf:) FAILED: Permission denied\n>>> "),
              std::string::npos)
        << outcome.out;
    EXPECT_NE(outcome.out.find("loadSnapshot() returned nil (read/parse failed)\n"),
              std::string::npos);
}

TEST_F(StowbarSimExecutable, AWatchedFileChangeRefreshesThreeTenthsOfASecondAfterTheLastWrite) {
    std::ofstream(home.path() / "scenario.json")
        << R"({"applications": [{"pid": 401, "name": "Alpha", "bundleIdentifier": "com.example.alpha",
               "extras": [{"position": [1500, -30], "size": [22, 22]}]}],
             "script": [{"at": 1.0, "action": "write-hidden-set", "bundleIdentifiers": ["com.example.alpha"]},
                        {"at": 1.2, "action": "write-hidden-set", "bundleIdentifiers": ["com.example.alpha"]},
                        {"at": 3.0, "action": "quit"}]})";
    // The directory exists at launch, so it is watched.
    std::filesystem::create_directories(home.path() /
                                        std::filesystem::path(kRelativePath).parent_path());
    const auto outcome = runSim(home, {(home.path() / "scenario.json").string()});
    EXPECT_EQ(outcome.status, 0);
    test::expectGolden("sim-watched-write.jsonl", outcome.out);
}

TEST_F(StowbarSimExecutable, TheLoginItemAtLaunchShowsItsNoticeAndAPressOfAGoneProcessSaysSo) {
    writeHiddenSet(home);
    // Alpha is clicked at 3.5 s and ends at 3.6 s, before its press 0.15 s after the click.
    const auto scenario = [&](const char* loginItem) {
        std::ofstream(home.path() / "scenario.json") << std::string(R"({)") + loginItem + R"(
          "applications": [{"pid": 401, "name": "Alpha", "bundleIdentifier": "com.example.alpha",
                            "extras": [{"position": [1500, -30], "size": [22, 22], "window": 812}]}],
          "script": [{"at": 3.0, "action": "click-status-item"},
                     {"at": 3.5, "action": "click-row", "index": 0},
                     {"at": 3.6, "action": "terminate", "pid": 401},
                     {"at": 4.0, "action": "quit"}]})";
        return (home.path() / "scenario.json").string();
    };
    const auto golden =
        test::readWholeFile(STOWBAR_GOLDEN_DIR "/sim-approval-notice-and-gone-press.jsonl");
    auto outcome = runSim(home, {scenario(R"("loginItemStatus": "requiresApproval",)")});
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.err, "");
    EXPECT_EQ(outcome.out, golden);

    // Outside an application bundle there is nothing to register and no notice.
    outcome = runSim(home, {scenario(R"("loginItemStatus": "requiresApproval",
                                        "inApplicationBundle": false,)")});
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.out, golden.substr(golden.find("{\"t\":0.000,\"event\":\"panel\"")));
}

TEST_F(StowbarSimExecutable, AScriptsTimesAreExactSoAClickAtTheDuplicateWindowIsAccepted) {
    writeHiddenSet(home);
    // 8.001 s is exactly 0.35 s after 7.651 s, though neither is a whole number of nanoseconds
    // in floating point.
    std::ofstream(home.path() / "scenario.json") << R"({
        "applications": [{"pid": 401, "name": "Alpha", "bundleIdentifier": "com.example.alpha",
                          "extras": [{"position": [1500, -30], "size": [22, 22]}]}],
        "script": [{"at": 7.5, "action": "click-status-item"},
                   {"at": 7.651, "action": "click-row", "index": 0},
                   {"at": 7.8, "action": "click-status-item"},
                   {"at": 8.001, "action": "click-row", "index": 0},
                   {"at": 9.0, "action": "quit"}]})";
    const auto outcome = runSim(home, {(home.path() / "scenario.json").string()});
    EXPECT_EQ(outcome.status, 0);
    const std::string press = "\"event\":\"press\",\"app\":\"Alpha\",\"pid\":401}\n";
    EXPECT_NE(outcome.out.find("{\"t\":7.801," + press), std::string::npos) << outcome.out;
    EXPECT_NE(outcome.out.find("{\"t\":8.151," + press), std::string::npos) << outcome.out;
}

// An unusable scenario, snapshot folder or option ends with status 2 before anything runs, and
// says so in one line naming the file, the place and the problem (the option, with the usage).
TEST_F(StowbarSimExecutable, WhatCannotBeUsedIsRefusedAtTheStartWithStatusTwoAndOneLine) {
    home.write("file", test::bytesOf("not a folder"));
    const auto file = (home.path() / "file").string();
    const auto bad = (home.path() / "bad.json").string();
    struct Row {
        const char* content;  // of bad.json; null: no such file
        std::vector<std::string> arguments;
        std::string firstLine;  // after "stowbar-sim: "
        long lines;
    };
    const Row rows[] = {
        {nullptr, {bad, "--diagnose"}, bad + ": cannot be read: No such file or directory", 1},
        {"{\"applications\": [",
         {bad},
         bad + ":1:19: invalid JSON: syntax error while parsing value",
         1},
        {"{\"applications\": [{\"pid\": 1}, {\"name\": \"B\"}]}",
         {bad},
         bad + ": /applications/1: missing required field \"pid\"",
         1},
        {"[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]",
         {bad},
         bad + ":1:33: nested deeper than 32 levels",
         1},
        {nullptr, {"--snapshots", file, example("panel.json")}, "cannot write pictures to ", 1},
        {nullptr,
         {"--snapshots", file + "/pictures", example("panel.json")},
         "cannot write pictures to ",
         1},
        {nullptr,
         {example("panel.json"), "--snapshots", (home.path() / "pictures").string()},
         "--snapshots goes before SCENARIO.json",
         5},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.firstLine);
        std::filesystem::remove(bad);
        if (row.content != nullptr) {
            home.write("bad.json", test::bytesOf(row.content));
        }
        const auto outcome = runSim(home, row.arguments);
        EXPECT_EQ(outcome.status, 2);
        EXPECT_EQ(outcome.out, "") << "nothing runs";
        EXPECT_EQ(outcome.err.rfind("stowbar-sim: " + row.firstLine, 0), 0u) << outcome.err;
        EXPECT_EQ(std::count(outcome.err.begin(), outcome.err.end(), '\n'), row.lines)
            << outcome.err;
        EXPECT_FALSE(std::filesystem::exists(home.path() / "pictures"));
    }
}

TEST_F(StowbarSimExecutable, AMissingScenarioOrABadSoakArgumentShowsTheUsage) {
    for (const auto& arguments :
         {std::vector<std::string>{}, std::vector<std::string>{"--snapshots"},
          std::vector<std::string>{"--snapshots", "dir"}, std::vector<std::string>{"--soak"},
          std::vector<std::string>{"--soak", "0"}, std::vector<std::string>{"--soak", "1.5"},
          std::vector<std::string>{"--soak", "1", "--seed"},
          std::vector<std::string>{"--soak", "1", "a.json", "--diagnose"}}) {
        const auto outcome = runSim(home, arguments);
        EXPECT_EQ(outcome.status, 2);
        test::expectGolden("sim-usage.txt", outcome.err);
    }
}

}  // namespace
}  // namespace stowbar
