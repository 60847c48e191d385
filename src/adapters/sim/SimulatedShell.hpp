#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/HiddenItemPanelModel.hpp"
#include "platform/FileSystem.hpp"
#include "platform/PanelHost.hpp"
#include "platform/ShellPorts.hpp"
#include "runtime/MainExecutor.hpp"

namespace stowbar {

// The running application's ports on the simulated desktop. Each records what it was asked and
// offers a hook, so that tests can look and the simulator can write its transcript.
//
// Threading: main thread only, like the ports.

// A status item that is always there with its button; click() is the user's click.
class SimulatedStatusBar final : public StatusBar {
  public:
    bool addStatusItem(const std::string& symbolName, const std::string& accessibilityDescription,
                       std::function<void()> action) override;
    // Does nothing until the item exists.
    void click();

    int itemsAdded = 0;
    std::string symbolName;
    std::string accessibilityDescription;

  private:
    std::function<void()> action_;
};

// A popover that is shown and closed at once and has no panel of its own yet. Like the real
// one, it announces a showing (didShow) on a later turn of the loop, so `loop` must be set
// before it is first shown with a didShow callback.
class SimulatedPopover final : public Popover {
  public:
    void configure(Size contentSize, std::function<void()> didShow) override;
    bool isShown() const override { return shown_; }
    void show() override;
    void close() override;
    // A shown popover that changes size tells onChange, still shown, with its new size.
    void setContentSize(Size size) override;
    std::optional<Size> preferredContentSize() const override { return preferred; }

    Size contentSize() const { return contentSize_; }
    std::optional<Size> preferred;
    std::function<void(bool shown, Size size)> onChange;
    MainExecutor* loop = nullptr;

  private:
    bool shown_ = false;
    Size contentSize_;
    std::function<void()> didShow_;
    // Announcements still queued when the popover goes are dropped.
    std::shared_ptr<SimulatedPopover*> self_ = std::make_shared<SimulatedPopover*>(this);
};

// Global monitors of left clicks in other applications; clickElsewhere() is such a click.
class SimulatedEventMonitor final : public EventMonitor {
  public:
    std::optional<Token> addGlobalLeftMouseDownMonitor(std::function<void()> handler) override;
    void removeMonitor(Token token) override;
    // Only a left click reaches the monitors.
    void clickElsewhere(bool leftButton);
    std::size_t monitorCount() const { return monitors_.size(); }

  private:
    std::map<Token, std::function<void()>> monitors_;
    Token lastToken_ = 0;
};

// A directory watch that fires when told that something in a directory changed. A path that
// does not exist (asked through the file system) or is no directory gives no watch, as a real
// one would.
class SimulatedDirectoryWatcher final : public DirectoryWatcher {
  public:
    explicit SimulatedDirectoryWatcher(const FileSystem& files) : files_(files) {}

    std::unique_ptr<DirectoryWatch> watch(const std::string& directory,
                                          std::function<void()> onEvent) override;
    // Tells every active watch of `directory`.
    void changed(const std::string& directory);
    std::size_t activeWatchCount() const { return watches_->size(); }

  private:
    using Watches = std::map<std::uint64_t, std::pair<std::string, std::function<void()>>>;
    const FileSystem& files_;
    std::shared_ptr<Watches> watches_ = std::make_shared<Watches>();
    std::uint64_t lastId_ = 0;
};

// The system's login-item record: it runs "from an application bundle" so that the
// registration path is exercised. Registering makes the item enabled, except while the system
// wants the user's approval (the status then stays at requiresApproval).
class SimulatedLoginItemService final : public LoginItemService {
  public:
    std::string mainBundlePathExtension() const override { return bundleExtension; }
    LoginItemStatus status() const override { return currentStatus; }
    bool registerMainApp() override;

    std::string bundleExtension = "app";
    LoginItemStatus currentStatus = LoginItemStatus::enabled;
    bool registrationSucceeds = true;
    int registrations = 0;
    std::function<void(bool ok)> onRegister;
};

// Alerts answered at once with their first button, on the simulated user's behalf.
class SimulatedAlerts final : public Alerts {
  public:
    int runModal(const AlertDescription& alert) override;

    std::vector<AlertDescription> shown;
    // Called while the alert is "on screen", before it is answered.
    std::function<void(const AlertDescription&)> onAlert;
};

// The simulated desktop is a Mac: it has an updater unless a test takes it away.
class SimulatedUpdater final : public Updater {
  public:
    // Without an updater, starting and checking do nothing, as the port says.
    void start() override { starts += available ? 1 : 0; }
    void checkForUpdates() override;
    bool isAvailable() const override { return available; }

    bool available = true;
    int starts = 0;
    int checks = 0;
    std::function<void()> onCheck;
};

// The panel as the simulated user meets it: it keeps the actions and the latest inputs, so
// that tests and the script can click what the panel would show, and passes both on to a
// panel that draws (the Qt one in stowbar-sim) when there is one. onChange hears of every
// change of what the panel shows: its state, its count or its rows.
class SimulatedPanelHost final : public PanelHost {
  public:
    void setPanelActions(PanelActions panelActions) override;
    void setPanelInputs(const PanelInputs& inputs) override;

    // The simulated user's clicks, for a run without a drawing panel: they take the same
    // way through the panel model as the drawn panel's clicks do. False when what was clicked
    // is not shown (no such row, no settings button outside the prompts).
    bool clickRow(std::size_t index) const;
    bool clickUpdates() const;
    bool clickQuit() const;
    bool clickOpenSettings() const;

    PanelActions actions;
    std::optional<PanelInputs> inputs;
    PanelHost* display = nullptr;
    std::function<void(const PanelContent& content)> onChange;

  private:
    std::optional<PanelContent> shown_;
};

// All of them together, with the ShellPorts the core takes.
struct SimulatedShell {
    explicit SimulatedShell(const FileSystem& files) : directoryWatcher(files) {}
    SimulatedShell(const SimulatedShell&) = delete;
    SimulatedShell& operator=(const SimulatedShell&) = delete;
    ~SimulatedShell() = default;

    SimulatedStatusBar statusBar;
    SimulatedPopover popover;
    SimulatedEventMonitor eventMonitor;
    SimulatedDirectoryWatcher directoryWatcher;
    SimulatedLoginItemService loginItems;
    SimulatedAlerts alerts;
    SimulatedUpdater updater;
    SimulatedPanelHost panel;
    const ShellPorts ports{statusBar,  popover, eventMonitor, directoryWatcher,
                           loginItems, alerts,  updater,      &panel};
};

}  // namespace stowbar
