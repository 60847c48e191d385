#pragma once

#include <memory>

#include "platform/Workspace.hpp"

namespace stowbar {

// The Workspace port over AppKit's shared NSWorkspace.
//
// Running applications come from `runningApplications` in the system's order, each icon turned
// into the core's image (points as AppKit gives them, pixels at twice that). Launches and
// terminations are read from key-value observation of `runningApplications`, by process id:
// the workspace's launch and terminate notifications are not posted for agents (LSUIElement)
// and background applications, which own most menu bar extras. openURL hands the URL to the
// system's handler and ignores the answer; a string that is not a URL opens nothing.
// canOpenURL asks the system whether an application takes the URL.
//
// Threading: main thread only. `runningApplications` changes, and is observed, on the main
// thread while its run loop turns. Each change calls the handlers installed at that moment; one
// removed by removeObserver is never called again. Lifetime: the observation ends with the last
// observer, and with the destructor.
class MacWorkspace final : public Workspace {
  public:
    MacWorkspace();
    ~MacWorkspace() override;
    MacWorkspace(const MacWorkspace&) = delete;
    MacWorkspace& operator=(const MacWorkspace&) = delete;

    std::vector<RunningApplication> runningApplications() const override;
    ObserverToken addObserver(WorkspaceNotification notification,
                              std::function<void()> handler) override;
    void removeObserver(ObserverToken token) override;
    bool canOpenURL(const std::string& url) const override;
    void openURL(const std::string& url) override;

  private:
    struct Observers;
    std::shared_ptr<Observers> observers_;
};

}  // namespace stowbar
