// End-to-end checks of the built stowbar-sim: the report over the example scenarios, and how
// it refuses scenario files it cannot use.

#include <fcntl.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <algorithm>

#include <fstream>
#include <sstream>

#include "support/ChildProcess.hpp"
#include "support/PlistBuilder.hpp"

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

class StowbarSimExecutable : public ::testing::Test {
  protected:
    // A Control Center file that hides Alpha and Sleepy, with a fixed modification time.
    std::string writeHiddenSet() {
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
    std::string prefsPath() const { return (home.path() / kRelativePath).string(); }

    test::TemporaryDirectory home;
};

TEST_F(StowbarSimExecutable, DiagnoseOverTheDeskExamplePrintsTheCompleteReport) {
    const auto size = writeHiddenSet();
    const auto outcome = runSim(home, {example("desk.json"), "--diagnose"});
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.err, "");
    EXPECT_EQ(outcome.out,
              "=== Stowbar diagnostics ===\n"
              "macOS 0.0.0\n"
              "\n"
              "--- Control Center prefs file (direct read, NOT cfprefsd) ---\n"
              "path: " +
                  prefsPath() +
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
                  "hidden bundle identifiers (2):\n"
                  "  \u2022 com.example.alpha\n"
                  "  \u2022 com.example.sleepy\n"
                  "\n"
                  "--- Accessibility + AXExtrasMenuBar discovery ---\n"
                  "AXIsProcessTrusted: true\n"
                  "apps scanned: 6   menu bar items found: 5\n"
                  "  Alpha [com.example.alpha]  ax=(1510,-30 31x24)  hiddenInPlist=YES\n"
                  "  Alpha [com.example.alpha]  ax=(1480,-30 22x22)  hiddenInPlist=YES\n"
                  "  Broken [com.example.broken]  ax=(990,0 24x24)  hiddenInPlist=no\n"
                  "  Toolbox [-]  ax=(1200,0 22x24)  hiddenInPlist=no\n"
                  "  weather [com.example.weather]  ax=(1300,0 40x24)  hiddenInPlist=no\n"
                  "\n");
}

TEST_F(StowbarSimExecutable, DiagnoseOverTheUntrustedExampleEndsWithTheAdvice) {
    const auto outcome = runSim(home, {example("untrusted.json"), "--diagnose"});
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.err, "");
    const std::string tail =
        "--- Accessibility + AXExtrasMenuBar discovery ---\n"
        "AXIsProcessTrusted: false\n"
        ">>> Not trusted. Grant this binary Accessibility in System Settings > Privacy & "
        "Security,\n"
        ">>> then re-run. The file/parse diagnostics above do not need this.\n"
        "\n";
    ASSERT_GE(outcome.out.size(), tail.size());
    EXPECT_EQ(outcome.out.substr(outcome.out.size() - tail.size()), tail);
}

TEST_F(StowbarSimExecutable, WithoutFullDiskAccessTheFileCanBeExaminedButNotRead) {
    const auto size = writeHiddenSet();
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

TEST_F(StowbarSimExecutable, ArgumentsAfterTheScenarioGoToTheProgram) {
    // Without "--diagnose" the application runs its script and prints the transcript.
    auto outcome = runSim(home, {example("desk.json")});
    EXPECT_EQ(outcome.status, 0);
    EXPECT_NE(outcome.out.find("\"event\":\"terminated\"}\n"), std::string::npos);
    EXPECT_EQ(outcome.err, "");

    outcome = runSim(home, {"--snapshots", (home.path() / "pictures").string(),
                            example("untrusted.json"), "--verbose", "--diagnose"});
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.out.rfind("=== Stowbar diagnostics ===\n", 0), 0u);
}

TEST_F(StowbarSimExecutable, TheScriptRunsOnVirtualTimeAndTheTranscriptShowsEachTrigger) {
    // No file at launch: no watch and no Full Disk Access. The poll finds the file written at
    // 0.5 s on its first tick; a launch and a quit 0.1 s apart give one scan 0.3 s after the
    // second; the second write is found by the poll only (there is still no watch), while the
    // permission is withdrawn, so nothing is scanned until it is granted again at the 8 s tick.
    const auto outcome = runSim(home, {example("background-triggers.json")});
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.err, "");
    // The same scenario gives the same transcript, line for line, however the scans' worker
    // threads are scheduled; the panel redraws on the turn after each change it is told of.
    EXPECT_EQ(
        outcome.out,
        "{\"t\":0.000,\"event\":\"panel\",\"count\":0,\"state\":\"accessibility\"}\n"
        "{\"t\":0.000,\"event\":\"panel\",\"count\":0,\"state\":\"fullDiskAccess\"}\n"
        "{\"t\":2.000,\"event\":\"scan\",\"targets\":[\"Alpha\",\"Beta\"]}\n"
        "{\"t\":2.000,\"event\":\"panel\",\"count\":0,\"state\":\"loading\"}\n"
        "{\"t\":2.000,\"event\":\"panel\",\"count\":2,\"state\":\"list\"}\n"
        "{\"t\":2.000,\"event\":\"published\",\"items\":[\"Alpha\",\"Beta\"]}\n"
        "{\"t\":2.000,\"event\":\"capture\",\"ok\":true,\"window\":812}\n"
        "{\"t\":2.000,\"event\":\"capture\",\"ok\":true,\"window\":813}\n"
        "{\"t\":2.000,\"event\":\"panel\",\"count\":2,\"state\":\"list\"}\n"
        "{\"t\":2.000,\"event\":\"published\",\"items\":[\"Alpha\",\"Beta\"]}\n"
        "{\"t\":3.400,\"event\":\"scan\",\"targets\":[\"Alpha\"]}\n"
        "{\"t\":3.400,\"event\":\"panel\",\"count\":1,\"state\":\"list\"}\n"
        "{\"t\":3.400,\"event\":\"published\",\"items\":[\"Alpha\"]}\n"
        "{\"t\":3.400,\"event\":\"capture\",\"ok\":true,\"window\":812}\n"
        "{\"t\":3.400,\"event\":\"panel\",\"count\":1,\"state\":\"list\"}\n"
        "{\"t\":3.400,\"event\":\"published\",\"items\":[\"Alpha\"]}\n"
        "{\"t\":6.000,\"event\":\"panel\",\"count\":1,\"state\":\"accessibility\"}\n"
        "{\"t\":8.000,\"event\":\"scan\",\"targets\":[\"Alpha\",\"Gamma\"]}\n"
        "{\"t\":8.000,\"event\":\"panel\",\"count\":1,\"state\":\"list\"}\n"
        "{\"t\":8.000,\"event\":\"panel\",\"count\":2,\"state\":\"list\"}\n"
        "{\"t\":8.000,\"event\":\"published\",\"items\":[\"Alpha\",\"Gamma\"]}\n"
        "{\"t\":8.000,\"event\":\"capture\",\"ok\":true,\"window\":812}\n"
        "{\"t\":8.000,\"event\":\"capture\",\"ok\":true,\"window\":900}\n"
        "{\"t\":8.000,\"event\":\"panel\",\"count\":2,\"state\":\"list\"}\n"
        "{\"t\":8.000,\"event\":\"published\",\"items\":[\"Alpha\",\"Gamma\"]}\n"
        "{\"t\":9.000,\"event\":\"popover\",\"height\":97.0,\"shown\":true,\"width\":200.0}\n"
        "{\"t\":9.500,\"event\":\"popover\",\"height\":97.0,\"shown\":false,\"width\":200.0}\n"
        "{\"t\":12.000,\"event\":\"terminated\"}\n");
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
    EXPECT_EQ(outcome.out,
              "{\"t\":0.000,\"event\":\"panel\",\"count\":0,\"state\":\"accessibility\"}\n"
              "{\"t\":0.000,\"event\":\"panel\",\"count\":0,\"state\":\"fullDiskAccess\"}\n"
              "{\"t\":1.500,\"event\":\"scan\",\"targets\":[\"Alpha\"]}\n"
              "{\"t\":1.500,\"event\":\"panel\",\"count\":0,\"state\":\"loading\"}\n"
              "{\"t\":1.500,\"event\":\"panel\",\"count\":1,\"state\":\"list\"}\n"
              "{\"t\":1.500,\"event\":\"published\",\"items\":[\"Alpha\"]}\n"
              "{\"t\":3.000,\"event\":\"terminated\"}\n");
}

TEST_F(StowbarSimExecutable, ThePanelIsOpenedPointedAtAndClickedAndEachStateIsPictured) {
    // The poll finds the file at 2 s; the popover opens at 3 s; a click on the second row closes
    // it and presses Dropbox's extra 0.15 s later; "Updates" asks for a check; with
    // Accessibility withdrawn the next tick shows the prompt, whose button opens its settings.
    const auto snapshots = home.path() / "snapshots";
    const auto outcome = runSim(home, {"--snapshots", snapshots.string(), example("panel.json")});
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.err, "");
    EXPECT_EQ(
        outcome.out,
        "{\"t\":0.000,\"event\":\"panel\",\"count\":0,\"state\":\"accessibility\"}\n"
        "{\"t\":0.000,\"event\":\"panel\",\"count\":0,\"state\":\"fullDiskAccess\"}\n"
        "{\"t\":2.000,\"event\":\"scan\",\"targets\":[\"Weather\",\"Dropbox\"]}\n"
        "{\"t\":2.000,\"event\":\"panel\",\"count\":0,\"state\":\"loading\"}\n"
        "{\"t\":2.000,\"event\":\"panel\",\"count\":2,\"state\":\"list\"}\n"
        "{\"t\":2.000,\"event\":\"published\",\"items\":[\"Weather\",\"Dropbox\"]}\n"
        "{\"t\":2.000,\"event\":\"capture\",\"ok\":true,\"window\":812}\n"
        "{\"t\":2.000,\"event\":\"capture\",\"ok\":true,\"window\":813}\n"
        "{\"t\":2.000,\"event\":\"panel\",\"count\":2,\"state\":\"list\"}\n"
        "{\"t\":2.000,\"event\":\"published\",\"items\":[\"Weather\",\"Dropbox\"]}\n"
        "{\"t\":3.000,\"event\":\"popover\",\"height\":97.0,\"shown\":true,\"width\":200.0}\n"
        "{\"t\":4.000,\"event\":\"popover\",\"height\":97.0,\"shown\":false,\"width\":200.0}\n"
        "{\"t\":4.150,\"event\":\"press\",\"app\":\"Dropbox\",\"pid\":402}\n"
        "{\"t\":5.000,\"event\":\"popover\",\"height\":97.0,\"shown\":true,\"width\":200.0}\n"
        "{\"t\":5.500,\"event\":\"update-check\"}\n"
        "{\"t\":6.000,\"event\":\"popover\",\"height\":97.0,\"shown\":false,\"width\":200.0}\n"
        "{\"t\":8.000,\"event\":\"panel\",\"count\":2,\"state\":\"accessibility\"}\n"
        "{\"t\":8.500,\"event\":\"popover\",\"height\":192.0,\"shown\":true,\"width\":200.0}\n"
        "{\"t\":9.000,\"event\":\"open-url\",\"url\":\"x-apple.systempreferences:com.apple."
        "preference.security?Privacy_Accessibility\"}\n"
        "{\"t\":10.000,\"event\":\"terminated\"}\n");
    std::vector<std::string> pictures;
    for (const auto& entry : std::filesystem::directory_iterator(snapshots)) {
        pictures.push_back(entry.path().filename().string());
    }
    std::sort(pictures.begin(), pictures.end());
    EXPECT_EQ(pictures, (std::vector<std::string>{
                            "0001-accessibility.png", "0002-fullDiskAccess.png", "0003-loading.png",
                            "0004-list.png", "0005-list.png", "0006-accessibility.png"}));
}

TEST_F(StowbarSimExecutable, AKeyboardUserFindsAnItemByTypingAndPressesItWithReturn) {
    // Keys move the focus along the rows and on to the buttons; typing filters the list
    // whatever the case and accents; Return presses the one match as a click would (the
    // popover closes, the press follows 0.15 s later); Escape clears a filter, then closes. An
    // open popover takes the panel's new height each time the filter changes it.
    const auto outcome = runSim(home, {example("keyboard.json")});
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.err, "");
    EXPECT_EQ(
        outcome.out,
        "{\"t\":0.000,\"event\":\"panel\",\"count\":0,\"state\":\"accessibility\"}\n"
        "{\"t\":0.000,\"event\":\"panel\",\"count\":0,\"state\":\"fullDiskAccess\"}\n"
        "{\"t\":2.000,\"event\":\"scan\",\"targets\":[\"Weather\",\"Dropbox\",\"Drafts\",\"Café\"]}"
        "\n"
        "{\"t\":2.000,\"event\":\"panel\",\"count\":0,\"state\":\"loading\"}\n"
        "{\"t\":2.000,\"event\":\"panel\",\"count\":4,\"state\":\"list\"}\n"
        "{\"t\":2.000,\"event\":\"published\",\"items\":[\"Weather\",\"Dropbox\",\"Drafts\","
        "\"Café\"]}\n"
        "{\"t\":2.000,\"event\":\"capture\",\"ok\":true,\"window\":812}\n"
        "{\"t\":2.000,\"event\":\"capture\",\"ok\":true,\"window\":813}\n"
        "{\"t\":2.000,\"event\":\"capture\",\"ok\":true,\"window\":814}\n"
        "{\"t\":2.000,\"event\":\"capture\",\"ok\":true,\"window\":815}\n"
        "{\"t\":2.000,\"event\":\"panel\",\"count\":4,\"state\":\"list\"}\n"
        "{\"t\":2.000,\"event\":\"published\",\"items\":[\"Weather\",\"Dropbox\",\"Drafts\","
        "\"Café\"]}\n"
        "{\"t\":3.000,\"event\":\"popover\",\"height\":149.0,\"shown\":true,\"width\":200.0}\n"
        "{\"t\":3.100,\"event\":\"focus\",\"index\":1,\"target\":\"row\"}\n"
        "{\"t\":3.200,\"event\":\"focus\",\"index\":3,\"target\":\"row\"}\n"
        "{\"t\":3.300,\"event\":\"focus\",\"target\":\"Updates\"}\n"
        "{\"t\":3.400,\"event\":\"focus\",\"index\":0,\"target\":\"row\"}\n"
        "{\"t\":3.500,\"event\":\"filter\",\"count\":2,\"text\":\"DR\"}\n"
        "{\"t\":3.500,\"event\":\"popover\",\"height\":135.0,\"shown\":true,\"width\":200.0}\n"
        "{\"t\":3.600,\"event\":\"filter\",\"count\":1,\"text\":\"DRo\"}\n"
        "{\"t\":3.600,\"event\":\"popover\",\"height\":109.0,\"shown\":true,\"width\":200.0}\n"
        "{\"t\":3.700,\"event\":\"popover\",\"height\":109.0,\"shown\":false,\"width\":200.0}\n"
        "{\"t\":3.850,\"event\":\"press\",\"app\":\"Dropbox\",\"pid\":402}\n"
        "{\"t\":5.000,\"event\":\"popover\",\"height\":149.0,\"shown\":true,\"width\":200.0}\n"
        "{\"t\":5.100,\"event\":\"filter\",\"count\":1,\"text\":\"CAFE\"}\n"
        "{\"t\":5.100,\"event\":\"popover\",\"height\":109.0,\"shown\":true,\"width\":200.0}\n"
        "{\"t\":5.200,\"event\":\"filter\",\"count\":1,\"text\":\"CAF\"}\n"
        "{\"t\":5.300,\"event\":\"filter\",\"count\":4,\"text\":\"\"}\n"
        "{\"t\":5.300,\"event\":\"popover\",\"height\":149.0,\"shown\":true,\"width\":200.0}\n"
        "{\"t\":5.400,\"event\":\"popover\",\"height\":149.0,\"shown\":false,\"width\":200.0}\n"
        "{\"t\":6.000,\"event\":\"terminated\"}\n");
}

TEST_F(StowbarSimExecutable, AnUnusableScenarioExitsWithTwoAndOneLineNamingFilePlaceAndProblem) {
    struct Row {
        const char* content;  // null: no file at all
        const char* line;     // after "stowbar-sim: PATH"
    };
    const Row rows[] = {
        {nullptr, ": cannot be read: No such file or directory"},
        {"{\"applications\": [", ":1:19: invalid JSON: syntax error while parsing value"},
        {"{\"applications\": [{\"pid\": 1}, {\"name\": \"B\"}]}",
         ": /applications/1: missing required field \"pid\""},
        {"{\"applications\": [{\"pid\": 1, \"activationPolicy\": \"x\"}]}",
         ": /applications/0/activationPolicy: unknown value \"x\"; expected one of "
         "\"regular\", \"accessory\", \"prohibited\""},
        {"{\"script\": [{\"at\": 1, \"action\": \"jump\"}]}",
         ": /script/0/action: unknown action \"jump\""},
        {"{\"ownPid\": \"me\"}", ": /ownPid: expected a whole number, found a string"},
        {"[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]",
         ":1:33: nested deeper than 32 levels"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.line);
        const auto path = home.path() / "bad.json";
        std::filesystem::remove(path);
        if (row.content != nullptr) {
            home.write("bad.json", test::bytesOf(row.content));
        }
        const auto outcome = runSim(home, {path.string(), "--diagnose"});
        EXPECT_EQ(outcome.status, 2);
        EXPECT_EQ(outcome.out, "");
        const std::string expected = "stowbar-sim: " + path.string() + row.line;
        EXPECT_EQ(outcome.err.rfind(expected, 0), 0u) << outcome.err;
        EXPECT_EQ(std::count(outcome.err.begin(), outcome.err.end(), '\n'), 1) << outcome.err;
        EXPECT_EQ(outcome.err.back(), '\n');
    }
}

TEST_F(StowbarSimExecutable, TheLoginItemAtLaunchShowsItsNoticeAndAPressOfAGoneProcessSaysSo) {
    writeHiddenSet();
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
    writeHiddenSet();
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

TEST_F(StowbarSimExecutable, AnUnusableSnapshotFolderOrAMisplacedOptionIsRefusedAtTheStart) {
    home.write("file", test::bytesOf("not a folder"));
    struct Row {
        const char* name;
        std::vector<std::string> arguments;
        const char* firstLine;  // after "stowbar-sim: "
        long lines;
    };
    const auto file = (home.path() / "file").string();
    const Row rows[] = {
        {"a file where the folder should be",
         {"--snapshots", file, example("panel.json")},
         "cannot write pictures to ",
         1},
        {"a folder that would have to be made inside a file",
         {"--snapshots", file + "/pictures", example("panel.json")},
         "cannot write pictures to ",
         1},
        {"the option after the scenario, which would go to the program",
         {example("panel.json"), "--snapshots", (home.path() / "pictures").string()},
         "--snapshots goes before SCENARIO.json",
         5},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const auto outcome = runSim(home, row.arguments);
        EXPECT_EQ(outcome.status, 2);
        EXPECT_EQ(outcome.out, "") << "nothing runs";
        EXPECT_EQ(outcome.err.rfind(std::string("stowbar-sim: ") + row.firstLine, 0), 0u)
            << outcome.err;
        EXPECT_EQ(std::count(outcome.err.begin(), outcome.err.end(), '\n'), row.lines)
            << outcome.err;
        EXPECT_FALSE(std::filesystem::exists(home.path() / "pictures"));
    }
}

TEST_F(StowbarSimExecutable, AMissingScenarioOrABadSoakArgumentShowsTheUsage) {
    const char* usage =
        "usage: stowbar-sim [--snapshots DIR] SCENARIO.json [ARGS...]\n"
        "       stowbar-sim --soak DAYS [--seed N] [SCENARIO.json]\n"
        "  ARGS, everything after SCENARIO.json, are passed on to Stowbar as its own arguments\n"
        "  (--diagnose prints the report); options of stowbar-sim go before SCENARIO.json.\n";
    for (const auto& arguments :
         {std::vector<std::string>{}, std::vector<std::string>{"--snapshots"},
          std::vector<std::string>{"--snapshots", "dir"}, std::vector<std::string>{"--soak"},
          std::vector<std::string>{"--soak", "0"}, std::vector<std::string>{"--soak", "1.5"},
          std::vector<std::string>{"--soak", "1", "--seed"},
          std::vector<std::string>{"--soak", "1", "a.json", "--diagnose"}}) {
        const auto outcome = runSim(home, arguments);
        EXPECT_EQ(outcome.status, 2);
        EXPECT_EQ(outcome.err, usage);
    }
}

}  // namespace
}  // namespace stowbar
