// End-to-end checks of the built stowbar-sim: the report over the example scenarios, and how
// it refuses scenario files it cannot use.

#include <fcntl.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <algorithm>
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

// Runs stowbar-sim with HOME pointing at `home` and nothing else in its environment.
test::ProcessOutcome runSim(const test::TemporaryDirectory& home,
                            std::vector<std::string> arguments) {
    return test::runProgram(STOWBAR_SIM_EXECUTABLE, home, std::move(arguments));
}

std::string replaced(std::string text, const std::string& value, const std::string& placeholder) {
    for (auto at = text.find(value); at != std::string::npos;
         at = text.find(value, at + placeholder.size())) {
        text.replace(at, value.size(), placeholder);
    }
    return text;
}

using Places = std::vector<std::pair<std::string, std::string>>;

// The words of `line` after its first `skip`, each placeholder in them replaced by its value.
std::vector<std::string> wordsOf(const std::string& line, int skip, const Places& places) {
    std::istringstream words(line);
    std::vector<std::string> result;
    for (std::string word; words >> word;) {
        for (const auto& [placeholder, value] : places) {
            word = replaced(word, placeholder, value);
        }
        if (skip-- <= 0) {
            result.push_back(word);
        }
    }
    return result;
}

// What is in the home directory at launch, as sim-runs.txt names it.
void prepare(const test::TemporaryDirectory& home, const std::string& contents) {
    if (contents == "watched-directory") {
        std::filesystem::create_directories(
            home.path() / std::filesystem::path(test::kControlCenterFile).parent_path());
    } else if (contents == "hidden-set") {
        const auto hidden = [](const char* id) {
            return test::entry(false, test::bundleLocation(id));
        };
        const auto file = test::controlCenterFile(
            test::Plist::array({hidden("com.example.alpha"), hidden("com.example.sleepy"),
                                test::entry(true, test::bundleLocation("com.example.weather"))}));
        const auto path = home.write(test::kControlCenterFile, file.binary());
        const timespec modified{1769846709, 0};
        const timespec times[2] = {modified, modified};
        EXPECT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    }
}

// Each line of sim-runs.txt runs stowbar-sim in a home prepared as its first word says; its
// output must equal the golden file named next, however the scans' threads are scheduled.
TEST(StowbarSimExample, EachScenarioGivesItsGoldenReportOrTranscript) {
    const test::TemporaryDirectory pictures;
    const test::TemporaryDirectory elsewhere;
    const Places places = {{"$PICTURES", pictures.path().string()},
                           {"$ELSEWHERE", elsewhere.path().string()},
                           {"$EXAMPLES", STOWBAR_EXAMPLES_DIR},
                           {"$GOLDEN", STOWBAR_GOLDEN_DIR}};
    test::expectGoldenTable("sim-runs.txt", [&](const std::string& line) {
        const auto run = wordsOf(line, 0, places);
        const test::TemporaryDirectory home;
        prepare(home, run.at(0));
        const auto outcome = runSim(home, {run.begin() + 2, run.end()});
        test::expectGolden(run.at(1), outcome.out, {{home.path().string(), "$HOME"}});
        return "status " + std::to_string(outcome.status) + "\n" + outcome.err;
    });
    std::vector<std::string> written;
    for (const auto& entry : std::filesystem::directory_iterator(pictures.path())) {
        written.push_back(entry.path().filename().string());
    }
    std::sort(written.begin(), written.end());
    EXPECT_EQ(written, (std::vector<std::string>{
                           "0001-accessibility.png", "0002-fullDiskAccess.png", "0003-loading.png",
                           "0004-list.png", "0005-list.png", "0006-accessibility.png"}));
}

TEST(StowbarSimExecutable, WhatCannotBeUsedIsRefusedAtTheStartWithStatusTwoAndOneLine) {
    const test::TemporaryDirectory home;
    home.write("file", test::bytesOf("not a folder"));
    const Places places = {{"$HOME", home.path().string()},
                           {"$EXAMPLES", STOWBAR_EXAMPLES_DIR},
                           {"$GOLDEN", STOWBAR_GOLDEN_DIR}};
    const auto usage = test::readWholeFile(STOWBAR_GOLDEN_DIR "/sim-usage.txt");
    test::expectGolden("sim-usage.txt", runSim(home, {}).err);
    test::expectGoldenTable("sim-refusals.txt", [&](const std::string& line) {
        // The first word is the program's name.
        const auto arguments = wordsOf(line, 1, places);
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
