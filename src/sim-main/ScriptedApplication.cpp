#include "sim-main/ScriptedApplication.hpp"

#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <ios>
#include <mutex>
#include <nlohmann/json.hpp>
#include <optional>
#include <ostream>
#include <string>
#include <system_error>
#include <thread>
#include <utility>
#include <variant>
#include <vector>

#include "adapters/sim/DesktopSimulation.hpp"
#include "adapters/sim/SimulatedAccessibility.hpp"
#include "adapters/sim/SimulatedDesktop.hpp"
#include "adapters/sim/SimulatedShell.hpp"
#include "adapters/sim/SimulatedWorkspace.hpp"
#include "core/HiddenItemPanelModel.hpp"
#include "core/HiddenItemPanelNavigator.hpp"
#include "platform/Accessibility.hpp"
#include "platform/Application.hpp"
#include "platform/Geometry.hpp"
#include "platform/ShellPorts.hpp"
#include "platform/Workspace.hpp"
#include "runtime/Clock.hpp"
#include "sim-main/ControlCenterFileWriter.hpp"

namespace stowbar {

namespace {

// A script's time as the nearest whole nanosecond: truncating would put 8.001 s one
// nanosecond early, and a click there less than 0.35 s after one at 7.651 s.
TimePoint atSeconds(double value) {
    return TimePoint{} + std::chrono::round<Duration>(std::chrono::duration<double>(value));
}

template <class... Ts>
struct Overloaded : Ts... {
    using Ts::operator()...;
};
template <class... Ts>
Overloaded(Ts...) -> Overloaded<Ts...>;

}  // namespace

AXElement ScanRecordingAccessibility::applicationElement(std::int32_t pid) {
    const auto thread = std::this_thread::get_id();
    if (thread != mainThread_) {
        const std::lock_guard lock(mutex_);
        auto found = std::find_if(scans_.begin(), scans_.end(),
                                  [&](const auto& scan) { return scan.first == thread; });
        if (found == scans_.end()) {
            scans_.emplace_back(thread, std::vector<std::string>{});
            found = scans_.end() - 1;
        }
        AXElement element = inner_.applicationElement(pid);
        found->second.push_back(SimulatedAccessibility::applicationOf(element));
        return element;
    }
    return inner_.applicationElement(pid);
}

std::vector<std::vector<std::string>> ScanRecordingAccessibility::takeScans(
    const std::vector<std::thread::id>& running) {
    const std::lock_guard lock(mutex_);
    std::vector<std::vector<std::string>> result;
    std::erase_if(scans_, [&](auto& scan) {
        if (std::find(running.begin(), running.end(), scan.first) != running.end()) {
            return false;
        }
        result.push_back(std::move(scan.second));
        return true;
    });
    return result;
}

ScriptedApplication::ScriptedApplication(DesktopSimulation& simulation,
                                         SimulatedWorkspace& workspace, SimulatedShell& shell,
                                         ScanRecordingAccessibility& scans,
                                         std::string controlCenterPrefsPath,
                                         std::ostream& transcript)
    : simulation_(simulation),
      workspace_(workspace),
      shell_(shell),
      scans_(scans),
      prefsPath_(std::move(controlCenterPrefsPath)),
      out_(transcript) {
    // The same scenario prints the same transcript, whatever the worker threads do.
    executor_.setBackgroundJobsSettleAfterEachJob(true);
    // Slow answers take virtual time on this loop; an application that quits by itself is
    // announced on a turn of its own, as a real workspace notification would be.
    simulation_.attach(&executor_, [this] {
        executor_.post(
            [this] { workspace_.notify(WorkspaceNotification::didTerminateApplication); });
    });
    shell_.popover.loop = &executor_;
    // The login item as the system keeps it at launch, and where the executable runs from.
    const auto desktop = simulation_.desktop();
    shell_.loginItems.currentStatus = desktop.loginItemStatus;
    shell_.loginItems.bundleExtension = desktop.inApplicationBundle ? "app" : "";
    shell_.alerts.onAlert = [this](const AlertDescription& alert) {
        writeLine("alert", nlohmann::json{{"message", alert.messageText},
                                          {"informative", alert.informativeText},
                                          {"buttons", alert.buttons}}
                               .dump());
    };
    workspace_.onOpenURL = [this](const std::string& url) {
        writeLine("open-url", nlohmann::json{{"url", url}}.dump());
    };
    shell_.loginItems.onRegister = [this](bool ok) {
        writeLine("login-item", nlohmann::json{{"action", "register"}, {"ok", ok}}.dump());
    };
    shell_.updater.onCheck = [this] {
        writeLine("update-check", "{}");
    };
    shell_.panel.onChange = [this](const PanelContent& content) {
        // Written with the scans, so that a change made while a scan runs on its worker thread
        // lands in the same place of the transcript however the threads are scheduled.
        panelLines_.push_back(nlohmann::json{{"state", std::string(panelStateName(content.state))},
                                             {"count", content.hiddenItemCount}}
                                  .dump());
        if (onPanelChange) {
            onPanelChange(content);
        }
    };
    shell_.popover.onChange = [this](bool shown, Size size) {
        writeLine("popover",
                  nlohmann::json{{"shown", shown}, {"width", size.width}, {"height", size.height}}
                      .dump());
        if (shown != popoverShown_) {
            popoverShown_ = shown;
            if (onPopoverShown) {
                onPopoverShown(shown);
            }
        }
    };
}

ScriptedApplication::~ScriptedApplication() {
    simulation_.attach(nullptr, nullptr);
}

Duration ScriptedApplication::processorTime() {
    timespec used{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &used);
    return std::chrono::seconds(used.tv_sec) + std::chrono::nanoseconds(used.tv_nsec);
}

Duration ScriptedApplication::takeLongestTurn() {
    return std::exchange(longestTurn_, Duration::zero());
}

double ScriptedApplication::seconds() const {
    return std::chrono::duration<double>(executor_.now().time_since_epoch()).count();
}

void ScriptedApplication::writeLine(const std::string& event, const std::string& fields) {
    // "t" and "event" first, then the event's own fields, as one JSON object.
    char time[32];
    std::snprintf(time, sizeof time, "%.3f", seconds());
    out_ << "{\"t\":" << time << ",\"event\":" << nlohmann::json(event).dump();
    if (fields.size() > 2) {
        out_ << ',';
        out_.write(fields.data() + 1, static_cast<std::streamsize>(fields.size() - 2));
    }
    out_ << "}\n";
}

void ScriptedApplication::focusMoved(const std::optional<PanelFocus>& focus) {
    if (!focus) {
        return;
    }
    if (focus->control == PanelControl::row) {
        writeLine("focus", nlohmann::json{{"target", "row"}, {"index", focus->row}}.dump());
    } else {
        writeLine(
            "focus",
            nlohmann::json{{"target", std::string(panelControlLabel(focus->control))}}.dump());
    }
}

void ScriptedApplication::filterChanged(const std::string& text, std::size_t count) {
    writeLine("filter", nlohmann::json{{"text", text}, {"count", count}}.dump());
}

void ScriptedApplication::published(const std::vector<std::string>& names) {
    writeLine("published", nlohmann::json{{"items", names}}.dump());
}

void ScriptedApplication::flushRecords() {
    // A scan still running on its worker thread is written once it has ended, so that it
    // shows as one event however the threads are scheduled; one waiting for a slow answer is
    // parked and written when it ends.
    const bool settled = executor_.backgroundJobCount() == executor_.parkedJobCount();
    const auto scans = settled ? scans_.takeScans(executor_.parkedThreads())
                               : std::vector<std::vector<std::string>>{};
    if (settled) {
        // Nothing asks about a process that ended once its scans are written: its requests
        // are forgotten, so that a run with many short-lived processes keeps only what it needs.
        const auto state = simulation_.lock();
        std::erase_if(state->record.applications, [&state](const auto& entry) {
            return state->application(entry.first) == nullptr;
        });
    }
    if (settled) {
        for (const auto& fields : panelLines_) {
            writeLine("panel", fields);
        }
        panelLines_.clear();
    }
    for (const auto& scan : scans) {
        writeLine("scan", nlohmann::json{{"targets", scan}}.dump());
    }
    // What is written is taken out of the record: a record that kept it, even emptied, would
    // keep the room of the busiest stretch so far and grow by steps over a long run.
    std::vector<std::pair<std::uint32_t, bool>> captures;
    std::vector<DesktopSimulation::State::Press> presses;
    {
        const auto state = simulation_.lock();
        captures.swap(state->captures);
        presses.swap(state->presses);
    }
    for (const auto& press : presses) {
        // A press of an element that no longer answers reached nobody; it says so.
        auto fields = nlohmann::json{{"pid", press.pid}, {"app", press.application}};
        if (!press.found) {
            fields["found"] = false;
        }
        writeLine("press", fields.dump());
    }
    for (const auto& [window, ok] : captures) {
        writeLine("capture", nlohmann::json{{"window", window}, {"ok", ok}}.dump());
    }
}

void ScriptedApplication::perform(const script::Event& event) {
    std::visit(
        Overloaded{
            [&](const script::ClickStatusItem&) { shell_.statusBar.click(); },
            [&](const script::ClickElsewhere& click) {
                shell_.eventMonitor.clickElsewhere(click.button == script::MouseButton::left);
            },
            [&](const script::ClickRow&) { performOnPanel(event); },
            [&](const script::Hover&) { performOnPanel(event); },
            [&](const script::ClickButton&) { performOnPanel(event); },
            [&](const script::Key&) { performOnPanel(event); },
            [&](const script::Type&) { performOnPanel(event); },
            [&](const script::Launch& launch) {
                simulation_.update([&](SimulatedDesktop& desktop) {
                    desktop.applications.push_back(launch.application);
                });
                workspace_.notify(WorkspaceNotification::didLaunchApplication);
            },
            [&](const script::Terminate& ended) {
                simulation_.update([&](SimulatedDesktop& desktop) {
                    std::erase_if(desktop.applications, [&](const auto& application) {
                        return application.pid == ended.pid;
                    });
                });
                workspace_.notify(WorkspaceNotification::didTerminateApplication);
            },
            [&](const script::SetExtras& change) {
                simulation_.update([&](SimulatedDesktop& desktop) {
                    for (auto& application : desktop.applications) {
                        if (application.pid == change.pid) {
                            application.extras = change.extras;
                        }
                    }
                });
            },
            [&](const script::SetAccessibility& change) {
                simulation_.update([&](SimulatedDesktop& desktop) {
                    desktop.accessibilityTrusted = change.trusted;
                });
            },
            [&](const script::SetFullDiskAccess& change) {
                simulation_.update([&](SimulatedDesktop& desktop) {
                    desktop.fullDiskAccessGranted = change.granted;
                });
            },
            [&](const script::SetScreenRecording& change) {
                simulation_.update([&](SimulatedDesktop& desktop) {
                    desktop.screenRecordingGranted = change.granted;
                });
            },
            [&](const script::WriteControlCenterFile&) { changeControlCenterFile(event); },
            [&](const script::RemoveControlCenterFile&) { changeControlCenterFile(event); },
            [&](const script::ControlCenterFileBecomesDirectory&) {
                changeControlCenterFile(event);
            },
            [&](const script::WriteHiddenSet& write) {
                writeControlCenterHiddenSet(prefsPath_, write.bundleIdentifiers, fileDate());
                // The watch is simulated: the write is its event.
                shell_.directoryWatcher.changed(
                    std::filesystem::path(prefsPath_).parent_path().string());
            },
            [&](const script::SetLoginItemStatus& change) {
                shell_.loginItems.currentStatus = change.status;
            },
            [&](const script::Quit&) { terminate(); },
        },
        event);
}

std::filesystem::file_time_type ScriptedApplication::fileDate() const {
    // Dated on the virtual clock, from the first of January 2026, so that a run sees the same
    // dates however fast the machine runs it.
    constexpr std::chrono::sys_seconds kFirstDate{std::chrono::seconds(1767225600)};
    const auto date = kFirstDate + std::chrono::duration_cast<std::chrono::nanoseconds>(
                                       executor_.now().time_since_epoch());
    return std::chrono::file_clock::from_sys(date);
}

void ScriptedApplication::changeControlCenterFile(const script::Event& event) {
    const std::filesystem::path path(prefsPath_);
    std::error_code ignored;
    if (const auto* write = std::get_if<script::WriteControlCenterFile>(&event)) {
        writeControlCenterFile(prefsPath_, write->bytes, fileDate());
    } else {
        // Whichever stands at the path, file or empty directory, goes.
        std::filesystem::remove(path, ignored);
        if (std::holds_alternative<script::ControlCenterFileBecomesDirectory>(event)) {
            std::filesystem::create_directories(path, ignored);
        }
    }
    // The watch is simulated: the change is its event.
    shell_.directoryWatcher.changed(path.parent_path().string());
}

void ScriptedApplication::performOnPanel(const script::Event& event) {
    // The panel can only be pointed at while the popover shows it.
    if (!shell_.popover.isShown()) {
        return;
    }
    if (panelPointer) {
        panelPointer(event);
        return;
    }
    if (const auto* click = std::get_if<script::ClickRow>(&event)) {
        shell_.panel.clickRow(click->index);
    } else if (const auto* button = std::get_if<script::ClickButton>(&event)) {
        switch (button->label) {
            case PanelControl::updates:
                shell_.panel.clickUpdates();
                break;
            case PanelControl::quit:
                shell_.panel.clickQuit();
                break;
            case PanelControl::openSettings:
                shell_.panel.clickOpenSettings();
                break;
            case PanelControl::row:
                break;
        }
    }
}

void ScriptedApplication::run(ApplicationDelegate& delegate) {
    // The launch is a job of the loop like any other, after those posted before the run.
    bool launched = false;
    executor_.post([this, &delegate, &launched] {
        delegate.applicationDidFinishLaunching();
        if (onLaunched) {
            onLaunched();
        }
        launched = true;
    });
    const auto step = [this] {
        const Duration now = processorTime();
        if (turnStarted_) {
            longestTurn_ = std::max(longestTurn_, now - *turnStarted_);
        }
        flushRecords();
        if (betweenJobs) {
            betweenJobs();
        }
        // The simulator's own writing is not part of the program's turn.
        turnStarted_ = processorTime();
        return terminateRequested_;
    };
    executor_.runUntil([&] { return launched && step(); }, executor_.now());
    const auto script = simulation_.desktop().script;
    std::size_t nextInScript = 0;
    const auto nextAction = [&]() -> std::optional<ScriptAction> {
        if (actionSource) {
            return actionSource();
        }
        if (nextInScript < script.size()) {
            return script[nextInScript++];
        }
        return std::nullopt;
    };
    double last = 0;
    while (const auto action = nextAction()) {
        if (terminateRequested_ || executor_.runUntil(step, atSeconds(action->at))) {
            break;
        }
        if (beforeAction) {
            beforeAction(*action);
        }
        perform(action->event);
        last = std::max(last, action->at);
        // What the action itself caused at once (a registration, an alert) is written now.
        flushRecords();
    }
    if (!terminateRequested_) {
        executor_.runUntil(step, atSeconds(last + kQuietSecondsAfterScript));
    }
    flushRecords();
    delegate.applicationWillTerminate();
    writeLine("terminated", "{}");
}

}  // namespace stowbar
