#pragma once

#include <filesystem>
#include <functional>
#include <iosfwd>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "adapters/sim/DesktopSimulation.hpp"
#include "adapters/sim/ForwardingAccessibility.hpp"
#include "adapters/sim/SimulatedShell.hpp"
#include "adapters/sim/SimulatedWorkspace.hpp"
#include "platform/Accessibility.hpp"
#include "platform/Application.hpp"
#include "runtime/Clock.hpp"
#include "runtime/ManualExecutor.hpp"

namespace stowbar {

// Watches the Accessibility requests of scans for the transcript: every request for an
// application's element made off the main thread belongs to the scan running on that thread
// (each scan runs as one background job on a thread of its own). Each target is kept by the
// name its process had when it was asked for, so that one that quits mid-scan is still named.
//
// Threading: as the wrapped port; the record is guarded by a mutex.
class ScanRecordingAccessibility final : public ForwardingAccessibility {
  public:
    ScanRecordingAccessibility(Accessibility& inner, std::thread::id mainThread)
        : ForwardingAccessibility(inner), mainThread_(mainThread) {}

    AXElement applicationElement(std::int32_t pid) override;

    // The names of the applications each scan asked for since the last call, one list per
    // scan, in order, leaving out the scans still running on `running` threads.
    std::vector<std::vector<std::string>> takeScans(const std::vector<std::thread::id>& running);

  private:
    const std::thread::id mainThread_;
    std::mutex mutex_;
    std::vector<std::pair<std::thread::id, std::vector<std::string>>> scans_;
};

// The application's event loop on the simulated desktop: it runs on virtual time, performs the
// scenario's script at its times, and writes the transcript, one JSON object per line.
//
// It stops at the script's quit (or the application's own termination request), or 60 virtual
// seconds after the last action.
//
// Threading: main thread only, like the executor it owns.
class ScriptedApplication final : public Application {
  public:
    static constexpr double kQuietSecondsAfterScript = 60.0;

    ScriptedApplication(DesktopSimulation& simulation, SimulatedWorkspace& workspace,
                        SimulatedShell& shell, ScanRecordingAccessibility& scans,
                        std::string controlCenterPrefsPath, std::ostream& transcript);
    ScriptedApplication(const ScriptedApplication&) = delete;
    ScriptedApplication& operator=(const ScriptedApplication&) = delete;
    ~ScriptedApplication() override;

    void run(ApplicationDelegate& delegate) override;
    void terminate() override { terminateRequested_ = true; }
    MainExecutor& mainExecutor() override { return executor_; }

    // Called once launch has finished, so that the composition root can attach what only it
    // knows (the published list) to the transcript.
    std::function<void()> onLaunched;

    // Writes a "published" line with the names of the list just assigned.
    void published(const std::vector<std::string>& names);
    // Write a "focus" line (nothing when no control has the focus) and a "filter" line, for a
    // panel that answers the script's keys.
    void focusMoved(const std::optional<PanelFocus>& focus);
    void filterChanged(const std::string& text, std::size_t count);
    // Called when the popover is shown or closed (not when a shown one is resized).
    std::function<void(bool shown)> onPopoverShown;

    // Takes the script's pointer and keyboard actions on the panel (click-row, hover,
    // click-button, key, type) to a panel that draws, so that they go through its own
    // controls. Without one, clicks reach the panel model directly, and hovers and keys have
    // nothing to change.
    std::function<void(const script::Event&)> panelPointer;
    // Called after the "panel" line each time what the panel shows changed.
    std::function<void(const PanelContent&)> onPanelChange;
    // Where the actions come from instead of the scenario's script, when set (the soak's
    // churn, made up as it goes); none means the script has ended.
    std::function<std::optional<ScriptAction>()> actionSource;
    // Called with each action at its time, just before it is performed.
    std::function<void(const ScriptAction&)> beforeAction;

    // The most processor time the main thread spent on one turn of the loop (a job, or a
    // script action) since the last call; the simulator's own writing is left out.
    Duration takeLongestTurn();

    // Called after every job, outside all of them: where the composition root lets its toolkit
    // do what a real loop does between events (delete what was scheduled for deletion).
    std::function<void()> betweenJobs;

  private:
    void perform(const script::Event& event);
    void performOnPanel(const script::Event& event);
    // What another program does to the Control Center file, then the watch's event for it.
    void changeControlCenterFile(const script::Event& event);
    // The modification date a file written now gets.
    std::filesystem::file_time_type fileDate() const;
    // Writes what the desktop recorded since the last call: scans, presses and captures.
    void flushRecords();
    void writeLine(const std::string& event, const std::string& fields);
    double seconds() const;
    static Duration processorTime();

    DesktopSimulation& simulation_;
    SimulatedWorkspace& workspace_;
    SimulatedShell& shell_;
    ScanRecordingAccessibility& scans_;
    const std::string prefsPath_;
    std::ostream& out_;
    ManualExecutor executor_;
    bool terminateRequested_ = false;
    bool popoverShown_ = false;
    std::vector<std::string> panelLines_;
    std::optional<Duration> turnStarted_;
    Duration longestTurn_{};
};

}  // namespace stowbar
