#pragma once

#include <map>
#include <string>
#include <vector>

#include <unordered_map>

#include "adapters/sim/DesktopSimulation.hpp"
#include "platform/Workspace.hpp"

namespace stowbar {

// The running applications of the simulated desktop, in the order its description lists
// them, each with an icon the simulator draws unless the description says it has none.
//
// Threading: runningApplications() may be called from any thread, as it reads the desktop
// under the simulation's lock; everything else on the main thread only, as the port says.
// The simulation must outlive this object.
class SimulatedWorkspace final : public Workspace {
  public:
    explicit SimulatedWorkspace(const DesktopSimulation& simulation) : simulation_(simulation) {}

    std::vector<RunningApplication> runningApplications() const override;
    ObserverToken addObserver(WorkspaceNotification notification,
                              std::function<void()> handler) override;
    void removeObserver(ObserverToken token) override;
    // Like a Mac, it opens every URL the program opens, unless a test says otherwise.
    bool canOpenURL(const std::string&) const override { return opensURLs; }
    // Records the URL; `onOpenURL`, when set, hears of it too.
    void openURL(const std::string& url) override;

    // Tells the observers of `notification`, in the order they were added. Call it on the main
    // thread, on a turn of its own (a script action or a test step is one).
    void notify(WorkspaceNotification notification);

    std::size_t observerCount() const { return observers_.size(); }
    const std::vector<std::string>& openedURLs() const { return openedURLs_; }
    std::function<void(const std::string&)> onOpenURL;
    bool opensURLs = true;

  private:
    const DesktopSimulation& simulation_;
    // Each running application's icon is drawn once, and dropped once it has ended; guarded by
    // the simulation's lock.
    mutable std::unordered_map<std::int32_t, ImageRef> icons_;
    std::map<ObserverToken, std::pair<WorkspaceNotification, std::function<void()>>> observers_;
    ObserverToken lastToken_ = 0;
    std::vector<std::string> openedURLs_;
};

}  // namespace stowbar
