#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Geometry.hpp"
#include "platform/InstanceLock.hpp"

namespace stowbar {

// A port of its own, in PanelHost.hpp.
class PanelHost;

// The ports of the running menu bar application that the diagnostics report never needs: the
// status item, the popover, the global mouse monitor, the directory watch, the login-item
// service, modal alerts and the updater.
//
// Threading, for every port in this header: called on the main thread only; every callback a
// port is handed is called on the main thread, on a turn of the loop of its own, and never after
// the object that stops it (a DirectoryWatch, an observer removal, a monitor removal) has done
// so.

// Stowbar's own item in the menu bar.
class StatusBar {
  public:
    virtual ~StatusBar() = default;

    // Shows a square item whose button draws the named symbol (marked as a template so the
    // menu bar tints it) and calls `action` when clicked. Returns false when the item has no
    // button: it then stays without image or action.
    virtual bool addStatusItem(const std::string& symbolName,
                               const std::string& accessibilityDescription,
                               std::function<void()> action) = 0;

    // Called on every tick of the background poll. An item that could not be shown yet (a
    // desktop whose tray is not up) looks again here rather than on a timer of its own, so
    // that waiting for it wakes the program no more often than the poll does. Nothing to do
    // where the item is always shown.
    virtual void lookAgain() {}
};

// The window that hangs below the status item and hosts the panel.
class Popover {
  public:
    virtual ~Popover() = default;

    // `didShow` is called each time the popover has been shown.
    virtual void configure(Size contentSize, std::function<void()> didShow) = 0;
    virtual bool isShown() const = 0;
    virtual void show() = 0;
    virtual void close() = 0;
    virtual void setContentSize(Size size) = 0;
    // The hosted panel's ideal size, when there is a panel to ask.
    virtual std::optional<Size> preferredContentSize() const = 0;
};

// Notification of left clicks made inside other applications.
class EventMonitor {
  public:
    using Token = std::uint64_t;
    virtual ~EventMonitor() = default;

    // Absent when the system installed no monitor.
    virtual std::optional<Token> addGlobalLeftMouseDownMonitor(std::function<void()> handler) = 0;
    virtual void removeMonitor(Token token) = 0;
};

// One directory being watched. Destroying it cancels the watch.
class DirectoryWatch {
  public:
    virtual ~DirectoryWatch() = default;
    // Stops the notifications and releases what the watch holds open. Idempotent.
    virtual void cancel() = 0;
};

// Watches a directory for anything written, deleted, extended, renamed or given new attributes
// inside it, or happening to the directory itself.
class DirectoryWatcher {
  public:
    virtual ~DirectoryWatcher() = default;

    // Null, silently, when the directory cannot be opened for watching. `onEvent` does not say
    // which events happened; a burst of them may arrive as one call.
    virtual std::unique_ptr<DirectoryWatch> watch(const std::string& directory,
                                                  std::function<void()> onEvent) = 0;
};

// The system's record of this application as a login item. The values are those of the
// system's service status, so a value above the known ones stays distinguishable.
enum class LoginItemStatus : int {
    notRegistered = 0,
    enabled = 1,
    requiresApproval = 2,
    notFound = 3
};

class LoginItemService {
  public:
    virtual ~LoginItemService() = default;

    // The path extension of the bundle the program runs from ("app" for an application
    // bundle; anything else for a bare executable).
    virtual std::string mainBundlePathExtension() const = 0;
    virtual LoginItemStatus status() const = 0;
    // Whether the registration succeeded; the reason of a failure is not needed.
    virtual bool registerMainApp() = 0;
};

enum class AlertStyle : int { warning = 0, informational = 1, critical = 2 };

struct AlertDescription {
    AlertStyle style = AlertStyle::informational;
    std::string messageText;
    std::string informativeText;
    std::vector<std::string> buttons;

    friend bool operator==(const AlertDescription&, const AlertDescription&) = default;
};

class Alerts {
  public:
    virtual ~Alerts() = default;
    // Runs the alert modally and returns the index of the button chosen.
    virtual int runModal(const AlertDescription& alert) = 0;
};

// The updater framework's controller.
class Updater {
  public:
    virtual ~Updater() = default;
    // Starts the updater's own schedule.
    virtual void start() = 0;
    // Begins a check the user can see.
    virtual void checkForUpdates() = 0;
    // Whether this build has an updater at all. One without answers false; starting it and
    // checking then do nothing, and no update control is offered.
    virtual bool isAvailable() const { return true; }
};

// Built by a composition root next to the Platform, and outliving everything the core builds.
struct ShellPorts {
    StatusBar& statusBar;
    Popover& popover;
    EventMonitor& eventMonitor;
    DirectoryWatcher& directoryWatcher;
    LoginItemService& loginItems;
    Alerts& alerts;
    Updater& updater;
    // What draws the panel inside the popover; none where nothing can draw it (the popover
    // then opens empty, at its own size).
    PanelHost* panelHost = nullptr;
    // Keeps a second instance from starting; none where only one can run anyway (a simulated
    // desktop, a test).
    InstanceLock* instanceLock = nullptr;
};

}  // namespace stowbar
