#pragma once

#include "platform/Workspace.hpp"

namespace stowbar {

// Linux desktops have no shared list of running applications with activation policies and
// menu bar extras, so the workspace honestly lists none.
class LinuxWorkspace final : public Workspace {
  public:
    std::vector<RunningApplication> runningApplications() const override { return {}; }
};

}  // namespace stowbar
