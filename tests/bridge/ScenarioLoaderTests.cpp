#include "adapters/sim/ScenarioLoader.hpp"

#include <gtest/gtest.h>
#include <cstdint>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "adapters/posix/PosixFileSystem.hpp"
#include "adapters/sim/SimulatedDesktop.hpp"
#include "bridge/SimulatedDesktopBuilders.hpp"
#include "core/HiddenItemPanelNavigator.hpp"
#include "platform/Geometry.hpp"
#include "platform/Workspace.hpp"
#include "support/TemporaryDirectory.hpp"

namespace stowbar {
namespace {

SimulatedDesktop loaded(std::string_view text) {
    auto result = ScenarioLoader::parse(text);
    if (const auto* error = std::get_if<ScenarioError>(&result)) {
        ADD_FAILURE() << ScenarioLoader::describe("scenario", *error);
        return {};
    }
    return std::get<SimulatedDesktop>(std::move(result));
}

TEST(ScenarioLoader, AnEmptyScenarioTakesTheDocumentedDefaults) {
    EXPECT_EQ(loaded("{}"), SimulatedDesktop{});
    SimulatedApplication expected;
    expected.pid = 7;
    EXPECT_EQ(loaded(R"({"applications": [{"pid": 7}]})").applications.at(0), expected);
}

TEST(ScenarioLoader, TheDocumentedExampleLoadsFieldForField) {
    const auto desktop = loaded(R"({
      "accessibilityTrusted": true, "screenRecordingGranted": false,
      "fullDiskAccessGranted": false, "windowNumberFunction": false, "ownPid": 123,
      "loginItemStatus": "requiresApproval", "inApplicationBundle": false,
      "applications": [
        { "pid": 401, "name": "Alpha", "bundleIdentifier": "com.example.alpha",
          "activationPolicy": "regular", "responds": false, "extrasMenuBar": true,
          "extras": [
            { "position": [1510.4, -30], "size": [30.6, 24], "window": 812 },
            { "position": [1480, -30], "size": [22, 22] },
            { "size": [22, 22], "window": 0, "axWindow": 4294967295, "axTopLevel": 3,
              "parents": [ {}, { "window": 9, "answers": { "AXParent": "noValue" } } ],
              "answers": { "AXPosition": "size" } }
          ] },
        { "pid": 402, "name": null, "bundleIdentifier": null, "activationPolicy": "prohibited",
          "extrasMenuBar": false, "answers": { "AXChildren": "other" } },
        { "pid": 403, "name": "" }
      ],
      "script": [
        { "at": 1.0, "action": "click-status-item" },
        { "at": 2.0, "action": "click-row", "index": 0 },
        { "at": 9.0, "action": "quit" }
      ]
    })");

    SimulatedDesktop expected;
    expected.screenRecordingGranted = false;
    expected.fullDiskAccessGranted = false;
    expected.windowNumberFunction = false;
    expected.ownPid = 123;
    expected.loginItemStatus = script::LoginItemStatus::requiresApproval;
    expected.inApplicationBundle = false;
    auto alpha = test::application(401, "alpha",
                                   {test::extraAt(1510.4, -30, 30.6, 24),
                                    test::extraAt(1480, -30, 22, 22), test::extraAt(0, 0, 22, 22)});
    alpha.name = "Alpha";
    alpha.activationPolicy = ActivationPolicy::regular;
    alpha.responds = false;
    alpha.extras[0].window = 812;
    auto& third = alpha.extras[2];
    third.position.reset();
    third.window = 0;
    third.axWindow = 4294967295u;
    third.axTopLevel = 3;
    SimulatedAncestor grandparent;
    grandparent.window = 9;
    grandparent.answers["AXParent"] = SimulatedAnswer::noValue;
    third.parents = std::vector<SimulatedAncestor>{SimulatedAncestor{}, grandparent};
    third.answers["AXPosition"] = SimulatedAnswer::size;
    SimulatedApplication nameless;
    nameless.pid = 402;
    nameless.activationPolicy = ActivationPolicy::prohibited;
    nameless.extrasMenuBar = false;
    nameless.answers["AXChildren"] = SimulatedAnswer::other;
    SimulatedApplication empty;
    empty.pid = 403;
    empty.name = "";
    expected.applications = {alpha, nameless, empty};
    expected.script = {
        {1.0, script::ClickStatusItem{}}, {2.0, script::ClickRow{0}}, {9.0, script::Quit{}}};
    EXPECT_EQ(desktop, expected);
}

TEST(ScenarioLoader, EveryScriptActionIsUnderstoodNow) {
    using namespace script;
    const auto desktop = loaded(R"({"script": [
      { "at": 0, "action": "click-status-item" },
      { "at": 0, "action": "click-row", "index": 3 },
      { "at": 0.5, "action": "click-elsewhere" },
      { "at": 0.5, "action": "click-elsewhere", "button": "right" },
      { "at": 1, "action": "hover", "target": "quit" },
      { "at": 1, "action": "hover", "target": "row", "index": 2 },
      { "at": 1, "action": "hover", "target": null },
      { "at": 2, "action": "click-button", "label": "Open Settings" },
      { "at": 3, "action": "launch", "application": { "pid": 501, "name": "New" } },
      { "at": 4, "action": "terminate", "pid": 501 },
      { "at": 5, "action": "set-extras", "pid": 401, "extras": [ { "size": [1, 2] } ] },
      { "at": 6, "action": "set-accessibility", "trusted": false },
      { "at": 6, "action": "set-full-disk-access", "granted": false },
      { "at": 6, "action": "set-screen-recording", "granted": true },
      { "at": 7, "action": "write-hidden-set", "bundleIdentifiers": ["a", "b"] },
      { "at": 8, "action": "set-login-item-status", "status": "requiresApproval" },
      { "at": 9, "action": "key", "key": "Backtab" },
      { "at": 9, "action": "key", "key": "Return" },
      { "at": 9, "action": "type", "text": "dro" },
      { "at": 86400, "action": "quit" }
    ]})");
    SimulatedApplication launched;
    launched.pid = 501;
    launched.name = "New";
    SimulatedExtra resized;
    resized.size = Size{1, 2};
    const std::vector<ScriptAction> expected = {
        {0, ClickStatusItem{}},
        {0, ClickRow{3}},
        {0.5, ClickElsewhere{MouseButton::left}},
        {0.5, ClickElsewhere{MouseButton::right}},
        {1, Hover{HoverTarget::quit, 0}},
        {1, Hover{HoverTarget::row, 2}},
        {1, Hover{HoverTarget::none, 0}},
        {2, ClickButton{PanelButton::openSettings}},
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
        {86400, Quit{}},
    };
    EXPECT_EQ(desktop.script, expected);
}

TEST(ScenarioLoader, AScenarioWithAnErrorIsRefusedWithThePlaceAndTheProblem) {
    using Kind = ScenarioError::Kind;
    struct Row {
        const char* text;
        Kind kind;
        const char* place;
        const char* problem;  // the start of it
    };
    const Row rows[] = {
        {"", Kind::syntax, "1:1", "invalid JSON: syntax error while parsing value"},
        {"{\n  \"applications\": [}", Kind::syntax, "2:20", "invalid JSON: syntax error"},
        {"{\"a\": \"\\u12\"}", Kind::syntax, "1:", "invalid JSON: syntax error"},
        {"[]", Kind::content, "", "expected an object, found an array"},
        {"{\"applications\": {}}", Kind::content, "/applications",
         "expected an array, found an object"},
        {"{\"applications\": [{\"name\": \"A\"}]}", Kind::content, "/applications/0",
         "missing required field \"pid\""},
        {"{\"applications\": [{\"pid\": 1}, {\"pid\": \"2\"}]}", Kind::content,
         "/applications/1/pid", "expected a whole number, found a string"},
        {"{\"applications\": [{\"pid\": 1.5}]}", Kind::content, "/applications/0/pid",
         "expected a whole number, found a fractional number"},
        {"{\"applications\": [{\"pid\": 0}]}", Kind::content, "/applications/0/pid",
         "expected a whole number from 1 to 2147483647"},
        {"{\"applications\": [{\"pid\": 2147483648}]}", Kind::content, "/applications/0/pid",
         "expected a whole number from 1"},
        {"{\"applications\": [{\"pid\": 99999999999999999999999}]}", Kind::content,
         "/applications/0/pid", "expected a whole number, found a fractional number"},
        {"{\"applications\": [{\"pid\": 5}, {\"pid\": 5}]}", Kind::content, "/applications/1/pid",
         "pid 5 is already used by /applications/0"},
        {"{\"applications\": [{\"pid\": 5, \"activationPolicy\": \"background\"}]}", Kind::content,
         "/applications/0/activationPolicy",
         "unknown value \"background\"; expected one of \"regular\", \"accessory\", "
         "\"prohibited\""},
        {"{\"applications\": [{\"pid\": 5, \"nmae\": \"A\"}]}", Kind::content,
         "/applications/0/nmae", "unknown field"},
        {"{\"applications\": [{\"pid\": 5, \"name\": 3}]}", Kind::content, "/applications/0/name",
         "expected a string or null, found a number"},
        {"{\"applications\": [{\"pid\": 5, \"responds\": \"no\"}]}", Kind::content,
         "/applications/0/responds", "expected true or false, found a string"},
        {"{\"applications\": [{\"pid\": 5, \"extras\": [{\"position\": [1]}]}]}", Kind::content,
         "/applications/0/extras/0/position", "expected two numbers, found 1 values"},
        {"{\"applications\": [{\"pid\": 5, \"extras\": [{\"size\": [\"a\", 2]}]}]}", Kind::content,
         "/applications/0/extras/0/size/0", "expected a number, found a string"},
        {"{\"applications\": [{\"pid\": 5, \"extras\": [{\"size\": [1e999, 2]}]}]}", Kind::syntax,
         "1:51", "invalid JSON: number overflow parsing '1e999'"},
        {"{\"applications\": [{\"pid\": 5, \"extras\": [{\"window\": -1}]}]}", Kind::content,
         "/applications/0/extras/0/window", "expected a whole number from 0 to 4294967295"},
        {"{\"applications\": [{\"pid\": 5, \"answers\": {\"AXRole\": \"error\"}}]}", Kind::content,
         "/applications/0/answers/AXRole", "unknown field"},
        {"{\"applications\": [{\"pid\": 5, \"answers\": {\"AXChildren\": \"lies\"}}]}",
         Kind::content, "/applications/0/answers/AXChildren", "unknown value \"lies\""},
        {"{\"applications\": [{\"pid\": 5, \"extras\": [{\"parents\": [{\"a/b~\": 1}]}]}]}",
         Kind::content, "/applications/0/extras/0/parents/0/a~1b~0", "unknown field"},
        {"{\"script\": [{\"action\": \"quit\"}]}", Kind::content, "/script/0",
         "missing required field \"at\""},
        {"{\"script\": [{\"at\": 1, \"action\": \"dance\"}]}", Kind::content, "/script/0/action",
         "unknown action \"dance\""},
        {"{\"script\": [{\"at\": -1, \"action\": \"quit\"}]}", Kind::content, "/script/0/at",
         "expected a time from 0 to 86400 seconds"},
        {"{\"script\": [{\"at\": 2, \"action\": \"quit\"}, {\"at\": 1, \"action\": \"quit\"}]}",
         Kind::content, "/script/1/at", "earlier than the action before it"},
        {"{\"script\": [{\"at\": 1, \"action\": \"click-row\"}]}", Kind::content, "/script/0",
         "missing required field \"index\""},
        {"{\"script\": [{\"at\": 1, \"action\": \"hover\", \"target\": \"row\"}]}", Kind::content,
         "/script/0", "missing required field \"index\""},
        {"{\"script\": [{\"at\": 1, \"action\": \"hover\", \"target\": \"quit\", \"index\": 1}]}",
         Kind::content, "/script/0/index", "unknown field"},
        {"{\"script\": [{\"at\": 1, \"action\": \"click-button\", \"label\": \"quit\"}]}",
         Kind::content, "/script/0/label", "unknown value \"quit\""},
        {"{\"script\": [{\"at\": 1, \"action\": \"type\", \"text\": \"\"}]}", Kind::content,
         "/script/0/text", "expected between 1 and 256 bytes of text"},
        {"{\"script\": [{\"at\": 1, \"action\": \"launch\", \"application\": {}}]}", Kind::content,
         "/script/0/application", "missing required field \"pid\""},
        {"{\"script\": [{\"at\": 1, \"action\": \"write-hidden-set\", \"bundleIdentifiers\": "
         "[\"a\", null]}]}",
         Kind::content, "/script/0/bundleIdentifiers/1", "expected a string, found null"},
        {"{\"loginItemStatus\": \"approved\"}", Kind::content, "/loginItemStatus",
         "unknown value \"approved\"; expected one of \"notRegistered\", \"enabled\", "
         "\"requiresApproval\", \"notFound\""},
        {"{\"applications\": [{\"pid\": 5}], \"script\": [{\"at\": 1, \"action\": \"launch\", "
         "\"application\": {\"pid\": 5}}]}",
         Kind::content, "/script/0/application/pid", "pid 5 is already running"},
        {"{\"script\": [{\"at\": 1, \"action\": \"launch\", \"application\": {\"pid\": 6}}, "
         "{\"at\": 2, \"action\": \"terminate\", \"pid\": 6}, "
         "{\"at\": 3, \"action\": \"launch\", \"application\": {\"pid\": 6}}, "
         "{\"at\": 4, \"action\": \"launch\", \"application\": {\"pid\": 6}}]}",
         Kind::content, "/script/3/application/pid", "pid 6 is already running"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        const auto result = ScenarioLoader::parse(row.text);
        const auto* error = std::get_if<ScenarioError>(&result);
        ASSERT_NE(error, nullptr);
        EXPECT_EQ(error->kind, row.kind);
        if (row.kind == Kind::syntax) {
            EXPECT_EQ(error->place.rfind(row.place, 0), 0u) << error->place;
        } else {
            EXPECT_EQ(error->place, row.place);
        }
        EXPECT_EQ(error->problem.rfind(row.problem, 0), 0u) << error->problem;
    }
}

TEST(ScenarioLoader, InputBeyondTheBoundsIsRefusedBeforeItIsParsed) {
    const std::string deep = std::string(40, '[') + std::string(40, ']');
    auto result = ScenarioLoader::parse(deep);
    ASSERT_TRUE(std::holds_alternative<ScenarioError>(result));
    EXPECT_EQ(std::get<ScenarioError>(result),
              (ScenarioError{ScenarioError::Kind::syntax, "1:33", "nested deeper than 32 levels"}));

    // Brackets inside strings do not count.
    const std::string quoted =
        "{\"applications\": [{\"pid\": 1, \"name\": \"" + std::string(100, '[') + "\\\"\"}]}";
    EXPECT_TRUE(std::holds_alternative<SimulatedDesktop>(ScenarioLoader::parse(quoted)));

    const std::string large(ScenarioLoader::kMaximumFileSize + 1, ' ');
    result = ScenarioLoader::parse(large);
    ASSERT_TRUE(std::holds_alternative<ScenarioError>(result));
    EXPECT_EQ(std::get<ScenarioError>(result).kind, ScenarioError::Kind::file);

    test::TemporaryDirectory directory;
    const auto path =
        directory.write("large.json", std::vector<std::uint8_t>(large.begin(), large.end()));
    result = ScenarioLoader::load(PosixFileSystem{}, path.string());
    ASSERT_TRUE(std::holds_alternative<ScenarioError>(result));
    EXPECT_EQ(std::get<ScenarioError>(result).problem, "larger than 1048576 bytes");
}

TEST(ScenarioLoader, DescribesAProblemOnOneLineNamingTheFileThePlaceAndTheProblem) {
    using Kind = ScenarioError::Kind;
    struct Row {
        ScenarioError error;
        const char* line;
    };
    const Row rows[] = {
        {{Kind::file, "", "cannot be read: No such file or directory"},
         "desk.json: cannot be read: No such file or directory"},
        {{Kind::syntax, "3:14", "invalid JSON: syntax error"},
         "desk.json:3:14: invalid JSON: syntax error"},
        {{Kind::content, "/applications/1/pid", "missing"},
         "desk.json: /applications/1/pid: missing"},
        {{Kind::content, "", "expected an object, found an array"},
         "desk.json: top level: expected an object, found an array"},
        {{Kind::content, "/a\nb", "unknown field"}, "desk.json: /a\\x0ab: unknown field"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(ScenarioLoader::describe("desk.json", row.error), row.line);
    }
    const auto missing = ScenarioLoader::load(PosixFileSystem{}, "/nonexistent/desk.json");
    ASSERT_TRUE(std::holds_alternative<ScenarioError>(missing));
    EXPECT_EQ(ScenarioLoader::describe("desk.json", std::get<ScenarioError>(missing)),
              "desk.json: cannot be read: No such file or directory");
}

}  // namespace
}  // namespace stowbar
