#pragma once

#include <memory>

#include "platform/Workspace.hpp"

namespace stowbar {

// The Workspace port over AppKit's shared NSWorkspace.
//
// Running applications come from `runningApplications` in the system's order, each icon turned
// into the core's image (points as AppKit gives them, pixels at twice that). Launch and
// terminate observers go to the workspace's own notification centre, not the default one, and
// are delivered on the main operation queue. openURL hands the URL to the system's handler and
// ignores the answer; a string that is not a URL opens nothing. canOpenURL answers yes
// for any well-formed URL: the pages the program opens belong to System Settings.
//
// Threading: main thread only. Observer blocks run on the main queue; each first looks its token
// up, so one removed by removeObserver is never called again, even if its notification was
// already queued. Lifetime: observers still installed are removed by the destructor.
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
