#pragma once

#include "platform/Workspace.hpp"

namespace stowbar {

// Linux desktops have no shared list of running applications with activation policies and
// menu bar extras, so the workspace honestly lists none, and announces no launches or
// terminations. Opening a URL is not wired to the desktop yet and does nothing.
class LinuxWorkspace final : public Workspace {
  public:
    std::vector<RunningApplication> runningApplications() const override { return {}; }
    ObserverToken addObserver(WorkspaceNotification, std::function<void()>) override {
        return ++lastToken_;
    }
    void removeObserver(ObserverToken) override {}
    void openURL(const std::string&) override {}

  private:
    ObserverToken lastToken_ = 0;
};

}  // namespace stowbar
