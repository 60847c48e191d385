// The scenario loader's defaults, script actions and refusals. How it reads every other field
// shows in the golden tables of the bridge, the report and stowbar-sim, whose inputs are
// scenarios.

#include "sim-main/ScenarioLoader.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "adapters/posix/PosixFileSystem.hpp"
#include "adapters/sim/SimulatedDesktop.hpp"
#include "core/HiddenItemPanelNavigator.hpp"
#include "platform/Geometry.hpp"
#include "platform/ShellPorts.hpp"
#include "support/Golden.hpp"
#include "support/PlistBuilder.hpp"
#include "support/TemporaryDirectory.hpp"

namespace stowbar {
namespace {

SimulatedDesktop loaded(const ScenarioResult& result) {
    if (const auto* error = std::get_if<ScenarioError>(&result)) {
        ADD_FAILURE() << ScenarioLoader::describe("scenario", *error);
        return {};
    }
    return std::get<SimulatedDesktop>(result);
}

TEST(ScenarioLoader, AnEmptyScenarioTakesTheDocumentedDefaults) {
    EXPECT_EQ(loaded(ScenarioLoader::parse("{}")), SimulatedDesktop{});
    SimulatedApplication expected;
    expected.pid = 7;
    EXPECT_EQ(loaded(ScenarioLoader::parse(R"({"applications": [{"pid": 7}]})")).applications.at(0),
              expected);
}

TEST(ScenarioLoader, EveryScriptActionIsUnderstoodNow) {
    using namespace script;
    const auto desktop = loaded(
        ScenarioLoader::load(PosixFileSystem{}, STOWBAR_GOLDEN_DIR "/scenario-every-action.json"));
    SimulatedApplication launched;
    launched.pid = 501;
    launched.name = "New";
    launched.answerDelay = 0.25;
    launched.quitAfterRequests = 3;
    SimulatedExtra resized;
    resized.size = Size{1, 2};
    const std::vector<ScriptAction> expected = {
        {0, ClickStatusItem{}},
        {0, ClickRow{3}},
        {0.5, ClickElsewhere{MouseButton::left}},
        {0.5, ClickElsewhere{MouseButton::right}},
        {1, Hover{PanelControl::quit, 0}},
        {1, Hover{PanelControl::row, 2}},
        {1, Hover{std::nullopt, 0}},
        {2, ClickButton{PanelControl::openSettings}},
        {3, Launch{launched}},
        {4, Terminate{501}},
        {5, SetExtras{401, {resized}}},
        {6, SetAccessibility{false}},
        {6, SetFullDiskAccess{false}},
        {6, SetScreenRecording{true}},
        {7, WriteHiddenSet{{"a", "b"}}},
        {8, SetLoginItemStatus{LoginItemStatus::requiresApproval}},
        {9, Key{PanelKey::backtab}},
        {9, Key{PanelKey::enter}},
        {9, Type{"dro"}},
        {10, WriteControlCenterFile{"garbage"}},
        {10, WriteControlCenterFile{std::string("\0\xff"
                                                "ab",
                                                4)}},
        {10, ControlCenterFileBecomesDirectory{}},
        {10, RemoveControlCenterFile{}},
        {86400, Quit{}},
    };
    EXPECT_EQ(desktop.script, expected);
}

TEST(ScenarioLoader, AScenarioWithAnErrorIsRefusedWithThePlaceAndTheProblem) {
    test::expectGoldenTable("scenario-refusals.txt", [](const std::string& text) {
        const auto result = ScenarioLoader::parse(text);
        const auto* error = std::get_if<ScenarioError>(&result);
        return error == nullptr ? "accepted" : ScenarioLoader::describe("scenario", *error);
    });
    // Lines are counted from one, and nothing at all is not JSON either.
    EXPECT_EQ(std::get<ScenarioError>(ScenarioLoader::parse("{\n  \"applications\": [}")).place,
              "2:20");
    EXPECT_EQ(std::get<ScenarioError>(ScenarioLoader::parse("")).place, "1:1");
    // The parser would take a NUL byte for the end of the text.
    EXPECT_EQ(ScenarioLoader::describe("scenario", std::get<ScenarioError>(ScenarioLoader::parse(
                                                       std::string("{\n  \"a\0\": 1}", 12)))),
              "scenario:2:5: invalid JSON: a NUL byte");
}

TEST(ScenarioLoader, AFileBeyondTheSizeBoundIsRefusedBeforeItIsParsed) {
    const std::string large(ScenarioLoader::kMaximumFileSize + 1, ' ');
    EXPECT_EQ(std::get<ScenarioError>(ScenarioLoader::parse(large)).kind,
              ScenarioError::Kind::file);
    const test::TemporaryDirectory directory;
    const auto path = directory.write("large.json", test::bytesOf(large));
    const auto result = ScenarioLoader::load(PosixFileSystem{}, path.string());
    EXPECT_EQ(ScenarioLoader::describe("large.json", std::get<ScenarioError>(result)),
              "large.json: larger than 1048576 bytes");
}

}  // namespace
}  // namespace stowbar
