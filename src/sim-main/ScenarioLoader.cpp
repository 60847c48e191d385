#include "sim-main/ScenarioLoader.hpp"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include <nlohmann/json.hpp>

#include "adapters/sim/SimulatedDesktop.hpp"
#include "core/HiddenItemPanelNavigator.hpp"
#include "platform/FileSystem.hpp"
#include "platform/Geometry.hpp"
#include "platform/ShellPorts.hpp"
#include "platform/Workspace.hpp"

namespace stowbar {

namespace {

using Json = nlohmann::json;

// A typed text is a few characters of a name; this keeps a script's filter small.
constexpr std::size_t kMaximumTypedBytes = 256;
// An hour per answer is slower than any application worth simulating.
constexpr double kMaximumAnswerDelay = 3600;

// The first problem found ends the walk; it is carried out by this exception and turned into
// a ScenarioError before it can leave the loader.
struct Refusal {
    std::string pointer;
    std::string problem;
};

std::string escapedToken(std::string_view token) {
    std::string escaped;
    for (const char c : token) {
        if (c == '~') {
            escaped += "~0";
        } else if (c == '/') {
            escaped += "~1";
        } else {
            escaped += c;
        }
    }
    return escaped;
}

// One value of the document and the JSON pointer that leads to it.
class Node {
  public:
    Node(const Json& value, std::string pointer) : value_(value), pointer_(std::move(pointer)) {}

    const Json& json() const { return value_; }
    const std::string& pointer() const { return pointer_; }

    [[noreturn]] void refuse(std::string problem) const {
        throw Refusal{pointer_, std::move(problem)};
    }

    Node at(std::size_t index) const {
        return Node(value_[index], pointer_ + "/" + std::to_string(index));
    }

    bool boolean() const {
        if (!value_.is_boolean()) {
            refuse("expected true or false, found " + typeName());
        }
        return value_.get<bool>();
    }

    std::int64_t integer(std::int64_t minimum, std::int64_t maximum) const {
        // A whole number beyond 64 bits is read as a floating-point one; it is still a whole
        // number, only too large for the field.
        if (value_.is_number_float() && std::isfinite(value_.get<double>()) &&
            std::abs(value_.get<double>()) >= 0x1p63) {
            refuse("a number too large for the field; " + outOfRange(minimum, maximum));
        }
        if (!value_.is_number_integer()) {
            refuse("expected a whole number, found " + typeName());
        }
        if (value_.is_number_unsigned()) {
            const auto number = value_.get<std::uint64_t>();
            if (number > static_cast<std::uint64_t>(maximum) ||
                static_cast<std::int64_t>(number) < minimum) {
                refuse(outOfRange(minimum, maximum));
            }
            return static_cast<std::int64_t>(number);
        }
        const auto number = value_.get<std::int64_t>();
        if (number < minimum || number > maximum) {
            refuse(outOfRange(minimum, maximum));
        }
        return number;
    }

    std::int32_t pid() const { return static_cast<std::int32_t>(integer(1, INT32_MAX)); }
    std::uint32_t windowNumber() const {
        return static_cast<std::uint32_t>(integer(0, UINT32_MAX));
    }

    double number() const {
        if (!value_.is_number()) {
            refuse("expected a number, found " + typeName());
        }
        const double number = value_.get<double>();
        if (!std::isfinite(number)) {
            refuse("the number is too large");
        }
        return number;
    }

    std::string string() const {
        if (!value_.is_string()) {
            refuse("expected a string, found " + typeName());
        }
        return value_.get<std::string>();
    }

    std::optional<std::string> optionalString() const {
        if (value_.is_null()) {
            return std::nullopt;
        }
        if (!value_.is_string()) {
            refuse("expected a string or null, found " + typeName());
        }
        return value_.get<std::string>();
    }

    std::size_t arraySize() const {
        if (!value_.is_array()) {
            refuse("expected an array, found " + typeName());
        }
        return value_.size();
    }

    // Two numbers, as positions and sizes are written.
    std::pair<double, double> pair() const {
        if (arraySize() != 2) {
            refuse("expected two numbers, found " + std::to_string(value_.size()) + " values");
        }
        return {at(0).number(), at(1).number()};
    }

    template <typename T>
    T choice(std::initializer_list<std::pair<std::string_view, T>> choices) const {
        return choiceAmong<T>(choices);
    }

    // One of `choices`, pairs of a name and the value it stands for, tried in their order.
    template <typename T, typename Choices>
    T choiceAmong(const Choices& choices) const {
        std::string allowed;
        for (const auto& [name, result] : choices) {
            if (value_.is_string() && value_.get<std::string>() == name) {
                return result;
            }
            allowed += (allowed.empty() ? "\"" : ", \"") + std::string(name) + "\"";
        }
        if (!value_.is_string()) {
            refuse("expected one of " + allowed + ", found " + typeName());
        }
        refuse("unknown value \"" + value_.get<std::string>() + "\"; expected one of " + allowed);
    }

    std::string typeName() const {
        if (value_.is_number_float()) {
            return "a fractional number";
        }
        if (value_.is_number()) {
            return "a number";
        }
        switch (value_.type()) {
            case Json::value_t::null:
                return "null";
            case Json::value_t::boolean:
                return "a boolean";
            case Json::value_t::string:
                return "a string";
            case Json::value_t::array:
                return "an array";
            case Json::value_t::object:
                return "an object";
            default:
                return "a value of another kind";
        }
    }

  private:
    static std::string outOfRange(std::int64_t minimum, std::int64_t maximum) {
        return "expected a whole number from " + std::to_string(minimum) + " to " +
               std::to_string(maximum);
    }

    const Json& value_;
    std::string pointer_;
};

// An object whose fields are taken one by one; whatever was not taken is unknown.
class Object {
  public:
    explicit Object(const Node& node) : node_(node) {
        if (!node.json().is_object()) {
            node.refuse("expected an object, found " + node.typeName());
        }
    }

    std::optional<Node> field(const std::string& name) {
        taken_.insert(name);
        const auto found = node_.json().find(name);
        if (found == node_.json().end()) {
            return std::nullopt;
        }
        return Node(*found, node_.pointer() + "/" + escapedToken(name));
    }

    Node required(const std::string& name) {
        auto found = field(name);
        if (!found) {
            node_.refuse("missing required field \"" + name + "\"");
        }
        return *found;
    }

    // Refuses the first field (in the file's order) that nothing asked for.
    void finish() const {
        for (const auto& [name, value] : node_.json().items()) {
            if (taken_.count(name) == 0) {
                Node(value, node_.pointer() + "/" + escapedToken(name)).refuse("unknown field");
            }
        }
    }

    const Node& node() const { return node_; }

  private:
    Node node_;
    std::set<std::string> taken_;
};

SimulatedAnswers answers(const Node& node, std::initializer_list<const char*> attributes) {
    Object object(node);
    SimulatedAnswers result;
    for (const char* attribute : attributes) {
        if (const auto value = object.field(attribute)) {
            result[attribute] = value->choice<SimulatedAnswer>({
                {"error", SimulatedAnswer::error},
                {"noValue", SimulatedAnswer::noValue},
                {"other", SimulatedAnswer::other},
                {"element", SimulatedAnswer::element},
                {"nullElement", SimulatedAnswer::nullElement},
                {"array", SimulatedAnswer::array},
                {"point", SimulatedAnswer::point},
                {"size", SimulatedAnswer::size},
            });
        }
    }
    object.finish();
    return result;
}

std::optional<std::uint32_t> optionalWindow(Object& object, const char* name) {
    if (const auto value = object.field(name)) {
        return value->windowNumber();
    }
    return std::nullopt;
}

SimulatedAncestor ancestor(const Node& node) {
    Object object(node);
    SimulatedAncestor result;
    result.window = optionalWindow(object, "window");
    result.axWindow = optionalWindow(object, "axWindow");
    result.axTopLevel = optionalWindow(object, "axTopLevel");
    if (const auto value = object.field("answers")) {
        result.answers = answers(*value, {"AXParent", "AXWindow", "AXTopLevelUIElement"});
    }
    object.finish();
    return result;
}

SimulatedExtra extra(const Node& node) {
    Object object(node);
    SimulatedExtra result;
    if (const auto value = object.field("position")) {
        const auto [x, y] = value->pair();
        result.position = Point{x, y};
    }
    if (const auto value = object.field("size")) {
        const auto [width, height] = value->pair();
        result.size = Size{width, height};
    }
    result.window = optionalWindow(object, "window");
    result.axWindow = optionalWindow(object, "axWindow");
    result.axTopLevel = optionalWindow(object, "axTopLevel");
    if (const auto value = object.field("capturable")) {
        result.capturable = value->boolean();
    }
    if (const auto value = object.field("parents")) {
        std::vector<SimulatedAncestor> parents;
        for (std::size_t index = 0, count = value->arraySize(); index < count; ++index) {
            parents.push_back(ancestor(value->at(index)));
        }
        result.parents = std::move(parents);
    }
    if (const auto value = object.field("answers")) {
        result.answers = answers(
            *value, {"AXPosition", "AXSize", "AXWindow", "AXTopLevelUIElement", "AXParent"});
    }
    object.finish();
    return result;
}

std::vector<SimulatedExtra> extras(const Node& node) {
    std::vector<SimulatedExtra> result;
    for (std::size_t index = 0, count = node.arraySize(); index < count; ++index) {
        result.push_back(extra(node.at(index)));
    }
    return result;
}

SimulatedApplication application(const Node& node) {
    Object object(node);
    SimulatedApplication result;
    result.pid = object.required("pid").pid();
    if (const auto value = object.field("name")) {
        result.name = value->optionalString();
    }
    if (const auto value = object.field("bundleIdentifier")) {
        result.bundleIdentifier = value->optionalString();
    }
    if (const auto value = object.field("activationPolicy")) {
        result.activationPolicy = value->choice<ActivationPolicy>({
            {"regular", ActivationPolicy::regular},
            {"accessory", ActivationPolicy::accessory},
            {"prohibited", ActivationPolicy::prohibited},
        });
    }
    if (const auto value = object.field("responds")) {
        result.responds = value->boolean();
    }
    if (const auto value = object.field("extrasMenuBar")) {
        result.extrasMenuBar = value->boolean();
    }
    if (const auto value = object.field("icon")) {
        result.icon = value->boolean();
    }
    if (const auto value = object.field("extras")) {
        result.extras = extras(*value);
    }
    if (const auto value = object.field("answers")) {
        result.answers = answers(*value, {"AXExtrasMenuBar", "AXChildren"});
    }
    if (const auto value = object.field("answerDelay")) {
        result.answerDelay = value->number();
        if (result.answerDelay < 0 || result.answerDelay > kMaximumAnswerDelay) {
            value->refuse("expected a time from 0 to 3600 seconds");
        }
    }
    if (const auto value = object.field("quitAfterRequests")) {
        result.quitAfterRequests = static_cast<std::uint32_t>(value->integer(1, UINT32_MAX));
    }
    object.finish();
    return result;
}

// Standard base64 (RFC 4648, with padding); none for anything else.
std::optional<std::string> fromBase64(const std::string& text) {
    static constexpr std::string_view kAlphabet =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    if (text.size() % 4 != 0) {
        return std::nullopt;
    }
    std::string bytes;
    std::uint32_t bits = 0;
    int count = 0;
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (text[at] == '=') {
            // Padding only ends the text, at most two of it, and leaves no stray bits.
            const std::size_t padding = text.size() - at;
            if (padding > 2 || text.find_first_not_of('=', at) != std::string::npos ||
                (bits & ((1U << (2 * padding)) - 1U)) != 0) {
                return std::nullopt;
            }
            return bytes;
        }
        const auto value = kAlphabet.find(text[at]);
        if (value == std::string_view::npos) {
            return std::nullopt;
        }
        bits = (bits << 6) | static_cast<std::uint32_t>(value);
        if (++count % 4 != 1) {
            const int shift = 6 - 2 * ((count - 1) % 4);
            bytes += static_cast<char>((bits >> shift) & 0xffU);
            bits &= (1U << shift) - 1U;
        }
    }
    return bytes;
}

std::uint32_t index(Object& object) {
    return static_cast<std::uint32_t>(object.required("index").integer(0, UINT32_MAX));
}

LoginItemStatus loginItemStatus(const Node& node) {
    return node.choice<LoginItemStatus>({
        {"notRegistered", LoginItemStatus::notRegistered},
        {"enabled", LoginItemStatus::enabled},
        {"requiresApproval", LoginItemStatus::requiresApproval},
        {"notFound", LoginItemStatus::notFound},
    });
}

script::Event event(Object& object, const std::string& action) {
    using namespace script;
    if (action == "click-status-item") {
        return ClickStatusItem{};
    }
    if (action == "click-row") {
        return ClickRow{index(object)};
    }
    if (action == "click-elsewhere") {
        ClickElsewhere click;
        if (const auto value = object.field("button")) {
            click.button = value->choice<MouseButton>({
                {"left", MouseButton::left},
                {"right", MouseButton::right},
            });
        }
        return click;
    }
    if (action == "hover") {
        const Node target = object.required("target");
        Hover hover;
        if (!target.json().is_null()) {
            hover.target = target.choice<PanelControl>({
                {"quit", PanelControl::quit},
                {"updates", PanelControl::updates},
                {"row", PanelControl::row},
            });
        }
        if (hover.target == PanelControl::row) {
            hover.index = index(object);
        }
        return hover;
    }
    if (action == "click-button") {
        // Known by the labels the user reads on them.
        return ClickButton{object.required("label").choice<PanelControl>({
            {panelControlLabel(PanelControl::updates), PanelControl::updates},
            {panelControlLabel(PanelControl::quit), PanelControl::quit},
            {panelControlLabel(PanelControl::openSettings), PanelControl::openSettings},
        })};
    }
    if (action == "key") {
        return Key{object.required("key").choiceAmong<PanelKey>(kPanelKeyNames)};
    }
    if (action == "type") {
        const Node text = object.required("text");
        std::string typed = text.string();
        if (typed.empty() || typed.size() > kMaximumTypedBytes) {
            text.refuse("expected between 1 and " + std::to_string(kMaximumTypedBytes) +
                        " bytes of text");
        }
        return Type{std::move(typed)};
    }
    if (action == "launch") {
        return Launch{application(object.required("application"))};
    }
    if (action == "terminate") {
        return Terminate{object.required("pid").pid()};
    }
    if (action == "set-extras") {
        SetExtras change;
        change.pid = object.required("pid").pid();
        change.extras = extras(object.required("extras"));
        return change;
    }
    if (action == "set-accessibility") {
        return SetAccessibility{object.required("trusted").boolean()};
    }
    if (action == "set-full-disk-access") {
        return SetFullDiskAccess{object.required("granted").boolean()};
    }
    if (action == "set-screen-recording") {
        return SetScreenRecording{object.required("granted").boolean()};
    }
    if (action == "write-hidden-set") {
        const Node list = object.required("bundleIdentifiers");
        WriteHiddenSet write;
        for (std::size_t at = 0, count = list.arraySize(); at < count; ++at) {
            write.bundleIdentifiers.push_back(list.at(at).string());
        }
        return write;
    }
    if (action == "write-control-center-file") {
        const auto text = object.field("text");
        const auto encoded = object.field("base64");
        if (text.has_value() == encoded.has_value()) {
            object.node().refuse("expected either \"text\" or \"base64\"");
        }
        if (text) {
            return WriteControlCenterFile{text->string()};
        }
        auto bytes = fromBase64(encoded->string());
        if (!bytes) {
            encoded->refuse("expected base64 text");
        }
        return WriteControlCenterFile{std::move(*bytes)};
    }
    if (action == "remove-control-center-file") {
        return RemoveControlCenterFile{};
    }
    if (action == "control-center-file-becomes-directory") {
        return ControlCenterFileBecomesDirectory{};
    }
    if (action == "set-login-item-status") {
        return SetLoginItemStatus{loginItemStatus(object.required("status"))};
    }
    if (action == "quit") {
        return Quit{};
    }
    object.required("action").refuse("unknown action \"" + action + "\"");
}

ScriptAction scriptAction(const Node& node, double earliest) {
    Object object(node);
    ScriptAction result;
    const Node at = object.required("at");
    result.at = at.number();
    if (result.at < 0 || result.at > ScenarioLoader::kMaximumTime) {
        at.refuse("expected a time from 0 to 86400 seconds");
    }
    // Actions are listed in the order they happen, so that a script reads top to bottom.
    if (result.at < earliest) {
        at.refuse("earlier than the action before it");
    }
    result.event = event(object, object.required("action").string());
    object.finish();
    return result;
}

SimulatedDesktop desktop(const Node& root) {
    Object object(root);
    SimulatedDesktop result;
    for (const auto& [name, flag] :
         {std::pair{"accessibilityTrusted", &result.accessibilityTrusted},
          std::pair{"screenRecordingGranted", &result.screenRecordingGranted},
          std::pair{"fullDiskAccessGranted", &result.fullDiskAccessGranted},
          std::pair{"windowNumberFunction", &result.windowNumberFunction}}) {
        if (const auto value = object.field(name)) {
            *flag = value->boolean();
        }
    }
    if (const auto value = object.field("ownPid")) {
        result.ownPid = value->pid();
    }
    if (const auto value = object.field("loginItemStatus")) {
        result.loginItemStatus = loginItemStatus(*value);
    }
    if (const auto value = object.field("inApplicationBundle")) {
        result.inApplicationBundle = value->boolean();
    }
    if (const auto list = object.field("applications")) {
        std::map<std::int32_t, std::string> seen;
        for (std::size_t at = 0, count = list->arraySize(); at < count; ++at) {
            const Node node = list->at(at);
            result.applications.push_back(application(node));
            const auto [previous, added] =
                seen.emplace(result.applications.back().pid, node.pointer());
            if (!added) {
                Node(node.json().at("pid"), node.pointer() + "/pid")
                    .refuse("pid " + std::to_string(previous->first) + " is already used by " +
                            previous->second);
            }
        }
    }
    if (const auto list = object.field("script")) {
        double earliest = 0;
        // Which pids run at each point of the script, so that a launch cannot start a second
        // process under a pid that is taken, as no system would.
        std::set<std::int32_t> running;
        for (const auto& application : result.applications) {
            running.insert(application.pid);
        }
        for (std::size_t at = 0, count = list->arraySize(); at < count; ++at) {
            result.script.push_back(scriptAction(list->at(at), earliest));
            earliest = result.script.back().at;
            const auto& event = result.script.back().event;
            if (const auto* launch = std::get_if<script::Launch>(&event)) {
                if (!running.insert(launch->application.pid).second) {
                    const Node node = list->at(at);
                    Node(node.json().at("application").at("pid"),
                         node.pointer() + "/application/pid")
                        .refuse("pid " + std::to_string(launch->application.pid) +
                                " is already running");
                }
            } else if (const auto* ended = std::get_if<script::Terminate>(&event)) {
                running.erase(ended->pid);
            }
        }
    }
    object.finish();
    return result;
}

std::string lineAndColumn(std::string_view text, std::size_t offset) {
    std::size_t line = 1;
    std::size_t column = 1;
    for (std::size_t at = 0; at < offset && at < text.size(); ++at) {
        if (text[at] == '\n') {
            ++line;
            column = 1;
        } else {
            ++column;
        }
    }
    return std::to_string(line) + ":" + std::to_string(column);
}

// Finds the first bracket that opens a value nested deeper than the bound, before anything
// is built from the text. Strings are skipped so that brackets inside them do not count; a
// text that is not JSON anyway is left to the parser to describe.
std::optional<std::size_t> tooDeep(std::string_view text) {
    int depth = 0;
    bool inString = false;
    bool escaped = false;
    for (std::size_t at = 0; at < text.size(); ++at) {
        const char c = text[at];
        if (inString) {
            if (escaped) {
                escaped = false;
            } else if (c == '\\') {
                escaped = true;
            } else if (c == '"') {
                inString = false;
            }
        } else if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            if (++depth > ScenarioLoader::kMaximumDepth) {
                return at;
            }
        } else if (c == ']' || c == '}') {
            --depth;
        }
    }
    return std::nullopt;
}

// nlohmann's messages begin with an identifier and, for syntax errors, a position that the
// caller reports in its own form; keep what follows.
std::string syntaxProblem(const std::string& message) {
    std::string problem = message;
    if (problem.rfind("[json.exception.", 0) == 0) {
        if (const auto end = problem.find("] "); end != std::string::npos) {
            problem.erase(0, end + 2);
        }
    }
    if (problem.rfind("parse error", 0) == 0) {
        if (const auto end = problem.find(": "); end != std::string::npos) {
            problem.erase(0, end + 2);
        }
    }
    return "invalid JSON: " + problem;
}

// Where a number that does not fit a double was written: the message quotes it but gives no
// position, so its first occurrence stands in.
std::string placeOfQuotedToken(std::string_view text, const std::string& message) {
    const auto open = message.find('\'');
    const auto close = message.rfind('\'');
    if (open != std::string::npos && close > open + 1) {
        const auto at = text.find(std::string_view(message).substr(open + 1, close - open - 1));
        if (at != std::string_view::npos) {
            return lineAndColumn(text, at);
        }
    }
    return "1:1";
}

}  // namespace

ScenarioResult ScenarioLoader::parse(std::string_view text) {
    if (text.size() > kMaximumFileSize) {
        return ScenarioError{ScenarioError::Kind::file, "",
                             "larger than " + std::to_string(kMaximumFileSize) + " bytes"};
    }
    // The parser takes a NUL byte for the end of the input, and would say the text ends early.
    if (const auto at = text.find('\0'); at != std::string_view::npos) {
        return ScenarioError{ScenarioError::Kind::syntax, lineAndColumn(text, at),
                             "invalid JSON: a NUL byte"};
    }
    if (const auto at = tooDeep(text)) {
        return ScenarioError{ScenarioError::Kind::syntax, lineAndColumn(text, *at),
                             "nested deeper than " + std::to_string(kMaximumDepth) + " levels"};
    }
    Json document;
    try {
        document = Json::parse(text.begin(), text.end());
    } catch (const Json::parse_error& error) {
        // The byte offset is one past the last byte read, 1-based.
        const std::size_t offset = error.byte == 0 ? 0 : error.byte - 1;
        return ScenarioError{ScenarioError::Kind::syntax, lineAndColumn(text, offset),
                             syntaxProblem(error.what())};
    } catch (const Json::exception& error) {
        // A number too large for a double ends parsing with this kind of error.
        return ScenarioError{ScenarioError::Kind::syntax, placeOfQuotedToken(text, error.what()),
                             syntaxProblem(error.what())};
    }
    try {
        return desktop(Node(document, ""));
    } catch (const Refusal& refusal) {
        return ScenarioError{ScenarioError::Kind::content, refusal.pointer, refusal.problem};
    } catch (const Json::exception& error) {
        // Every access above is checked first; this only keeps a slip from becoming a crash.
        return ScenarioError{ScenarioError::Kind::content, "", error.what()};
    }
}

ScenarioResult ScenarioLoader::load(const FileSystem& files, const std::string& path) {
    const auto attributes = files.attributes(path);
    if (const auto size = attributes ? attributes->size : std::nullopt;
        size && *size > kMaximumFileSize) {
        return ScenarioError{ScenarioError::Kind::file, "",
                             "larger than " + std::to_string(kMaximumFileSize) + " bytes"};
    }
    const auto contents = files.readFile(path);
    if (!contents.bytes) {
        return ScenarioError{ScenarioError::Kind::file, "",
                             "cannot be read: " + contents.errorDescription};
    }
    const auto& bytes = *contents.bytes;
    return parse(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

std::string ScenarioLoader::describe(const std::string& path, const ScenarioError& error) {
    std::string line = path;
    switch (error.kind) {
        case ScenarioError::Kind::file:
            line += ": ";
            break;
        case ScenarioError::Kind::syntax:
            line += ":" + error.place + ": ";
            break;
        case ScenarioError::Kind::content:
            line += ": " + (error.place.empty() ? std::string("top level") : error.place) + ": ";
            break;
    }
    line += error.problem;
    std::string escaped;
    for (const char c : line) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f) {
            static constexpr char kHex[] = "0123456789abcdef";
            escaped += "\\x";
            escaped += kHex[byte >> 4];
            escaped += kHex[byte & 0xf];
        } else {
            escaped += c;
        }
    }
    return escaped;
}

}  // namespace stowbar
