#pragma once

#include "adapters/sim/DesktopSimulation.hpp"
#include "platform/Workspace.hpp"

namespace stowbar {

// The running applications of the simulated desktop, in the order its description lists
// them, each with an icon the simulator draws unless the description says it has none.
//
// Threading: safe from any thread (the port itself only promises the main thread). The
// simulation must outlive this object.
class SimulatedWorkspace final : public Workspace {
  public:
    explicit SimulatedWorkspace(const DesktopSimulation& simulation) : simulation_(simulation) {}

    std::vector<RunningApplication> runningApplications() const override;

  private:
    const DesktopSimulation& simulation_;
};

}  // namespace stowbar
