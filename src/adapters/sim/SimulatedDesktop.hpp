#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "core/HiddenItemPanelNavigator.hpp"
#include "platform/Geometry.hpp"
#include "platform/ShellPorts.hpp"
#include "platform/Workspace.hpp"

namespace stowbar {

// The simulated desktop as plain data: what runs, what each application exposes through
// Accessibility, which permissions are granted, and the script of events a run performs.
// Tests build it in code; stowbar-sim loads it from a scenario file (ScenarioLoader). The
// field names follow the scenario format one to one.

// Replaces the normal answer to one attribute request, to inject the failures a real
// application can produce.
enum class SimulatedAnswer : std::uint8_t {
    error,        // the request fails with a generic error code
    noValue,      // the request succeeds but carries no value
    other,        // a value of a kind nobody asks for (a string, say)
    element,      // an unrelated element that answers nothing
    nullElement,  // an element handle that is empty
    array,        // an empty array of elements
    point,        // a packed point (the extra's position numbers, or zeros)
    size,         // a packed size (the extra's size numbers, or zeros)
};

// Attribute name to the answer that replaces its normal one.
using SimulatedAnswers = std::map<std::string, SimulatedAnswer>;

// One element above an extra on the way up the tree (its parent, its parent's parent, ...).
struct SimulatedAncestor {
    // What the window-number function reports for this element; absent: the function fails.
    std::optional<std::uint32_t> window;
    // The window its "AXWindow" / "AXTopLevelUIElement" names, by the number the function
    // reports for that window; absent: the attribute has no value.
    std::optional<std::uint32_t> axWindow;
    std::optional<std::uint32_t> axTopLevel;
    // Keys: "AXParent", "AXWindow", "AXTopLevelUIElement".
    SimulatedAnswers answers;

    friend bool operator==(const SimulatedAncestor&, const SimulatedAncestor&) = default;
};

// One menu bar extra: one child of its application's extras bar.
struct SimulatedExtra {
    // Absent: the "AXPosition" / "AXSize" request fails.
    std::optional<Point> position;
    std::optional<Size> size;
    // What the window-number function reports for the extra itself (0 is a possible, useless
    // answer); absent: the function fails for it.
    std::optional<std::uint32_t> window;
    std::optional<std::uint32_t> axWindow;
    std::optional<std::uint32_t> axTopLevel;
    // The chain above the extra, nearest first; "AXParent" of the last one has no value.
    // Absent: the extra's parent is the extras bar, whose parent is the application element,
    // as on a real system; neither has a window.
    std::optional<std::vector<SimulatedAncestor>> parents;
    // false: its window is not among the capturable windows, so a capture of it fails.
    bool capturable = true;
    // Keys: "AXPosition", "AXSize", "AXWindow", "AXTopLevelUIElement", "AXParent".
    SimulatedAnswers answers;

    friend bool operator==(const SimulatedExtra&, const SimulatedExtra&) = default;
};

// One running application.
struct SimulatedApplication {
    std::int32_t pid = 0;
    // The localized name; absent (null) and empty are both possible.
    std::optional<std::string> name;
    std::optional<std::string> bundleIdentifier;
    ActivationPolicy activationPolicy = ActivationPolicy::accessory;
    // false: every Accessibility request to it fails once its messaging timeout has passed.
    bool responds = true;
    // false: it has no "AXExtrasMenuBar".
    bool extrasMenuBar = true;
    // false: the workspace lists it without an icon.
    bool icon = true;
    // Virtual seconds each Accessibility request to it takes to be answered; one that takes
    // its messaging timeout or longer fails then, as if it did not answer.
    double answerDelay = 0;
    // It ends by itself right after answering this many requests, counted from its launch.
    std::optional<std::uint32_t> quitAfterRequests;
    std::vector<SimulatedExtra> extras;
    // Keys: "AXExtrasMenuBar" (asked of the application), "AXChildren" (asked of its bar).
    SimulatedAnswers answers;

    friend bool operator==(const SimulatedApplication&, const SimulatedApplication&) = default;
};

// The events a scenario's script can perform, one type per action.
namespace script {

enum class MouseButton : std::uint8_t { left, right };

struct ClickStatusItem {
    friend bool operator==(const ClickStatusItem&, const ClickStatusItem&) = default;
};
struct ClickRow {
    std::uint32_t index = 0;
    friend bool operator==(const ClickRow&, const ClickRow&) = default;
};
struct ClickElsewhere {
    MouseButton button = MouseButton::left;
    friend bool operator==(const ClickElsewhere&, const ClickElsewhere&) = default;
};
// The pointer moves over a footer button or a row; none: over none of them.
struct Hover {
    std::optional<PanelControl> target;
    // Only for PanelControl::row.
    std::uint32_t index = 0;
    friend bool operator==(const Hover&, const Hover&) = default;
};
// A panel button, known by its label; a row is clicked by ClickRow.
struct ClickButton {
    PanelControl label = PanelControl::quit;
    friend bool operator==(const ClickButton&, const ClickButton&) = default;
};
// A key pressed while the panel has the keyboard.
struct Key {
    PanelKey key = PanelKey::down;
    friend bool operator==(const Key&, const Key&) = default;
};
// Text typed while the panel has the keyboard.
struct Type {
    std::string text;
    friend bool operator==(const Type&, const Type&) = default;
};
struct Launch {
    SimulatedApplication application;
    friend bool operator==(const Launch&, const Launch&) = default;
};
struct Terminate {
    std::int32_t pid = 0;
    friend bool operator==(const Terminate&, const Terminate&) = default;
};
struct SetExtras {
    std::int32_t pid = 0;
    std::vector<SimulatedExtra> extras;
    friend bool operator==(const SetExtras&, const SetExtras&) = default;
};
struct SetAccessibility {
    bool trusted = true;
    friend bool operator==(const SetAccessibility&, const SetAccessibility&) = default;
};
struct SetFullDiskAccess {
    bool granted = true;
    friend bool operator==(const SetFullDiskAccess&, const SetFullDiskAccess&) = default;
};
struct SetScreenRecording {
    bool granted = true;
    friend bool operator==(const SetScreenRecording&, const SetScreenRecording&) = default;
};
struct WriteHiddenSet {
    std::vector<std::string> bundleIdentifiers;
    friend bool operator==(const WriteHiddenSet&, const WriteHiddenSet&) = default;
};
// Exactly these bytes become the Control Center file, written as another program would.
struct WriteControlCenterFile {
    std::string bytes;
    friend bool operator==(const WriteControlCenterFile&, const WriteControlCenterFile&) = default;
};
struct RemoveControlCenterFile {
    friend bool operator==(const RemoveControlCenterFile&,
                           const RemoveControlCenterFile&) = default;
};
struct ControlCenterFileBecomesDirectory {
    friend bool operator==(const ControlCenterFileBecomesDirectory&,
                           const ControlCenterFileBecomesDirectory&) = default;
};
struct SetLoginItemStatus {
    LoginItemStatus status = LoginItemStatus::notRegistered;
    friend bool operator==(const SetLoginItemStatus&, const SetLoginItemStatus&) = default;
};
struct Quit {
    friend bool operator==(const Quit&, const Quit&) = default;
};

using Event =
    std::variant<ClickStatusItem, ClickRow, ClickElsewhere, Hover, ClickButton, Launch, Terminate,
                 SetExtras, SetAccessibility, SetFullDiskAccess, SetScreenRecording, WriteHiddenSet,
                 SetLoginItemStatus, Quit, Key, Type, WriteControlCenterFile,
                 RemoveControlCenterFile, ControlCenterFileBecomesDirectory>;

}  // namespace script

struct ScriptAction {
    // Virtual seconds since launch.
    double at = 0;
    script::Event event;

    friend bool operator==(const ScriptAction&, const ScriptAction&) = default;
};

struct SimulatedDesktop {
    bool accessibilityTrusted = true;
    bool screenRecordingGranted = true;
    bool fullDiskAccessGranted = true;
    // false: the system has no window-number function at all.
    bool windowNumberFunction = true;
    // The process id Stowbar itself runs under in the simulation.
    std::int32_t ownPid = 100;
    // The login item's status at launch, before the program registers it.
    LoginItemStatus loginItemStatus = LoginItemStatus::enabled;
    // false: the executable runs outside an application bundle, which has nothing to register.
    bool inApplicationBundle = true;
    // In the order the workspace lists them; pids are unique.
    std::vector<SimulatedApplication> applications;
    // In order of time.
    std::vector<ScriptAction> script;

    friend bool operator==(const SimulatedDesktop&, const SimulatedDesktop&) = default;
};

}  // namespace stowbar
