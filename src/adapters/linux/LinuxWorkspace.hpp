#pragma once

#include "platform/Workspace.hpp"

namespace stowbar {

// Linux desktops have no shared list of running applications with activation policies and
// menu bar extras, so the workspace honestly lists none, and announces no launches or
// terminations. The only URLs the program opens are macOS System Settings pages, which no Linux
// desktop has a handler for, so it says it can open none.
class LinuxWorkspace final : public Workspace {
  public:
    std::vector<RunningApplication> runningApplications() const override { return {}; }
    ObserverToken addObserver(WorkspaceNotification, std::function<void()>) override {
        return ++lastToken_;
    }
    void removeObserver(ObserverToken) override {}
    bool canOpenURL(const std::string&) const override { return false; }
    void openURL(const std::string&) override {}

  private:
    ObserverToken lastToken_ = 0;
};

}  // namespace stowbar
