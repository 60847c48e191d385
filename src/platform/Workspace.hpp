#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/Image.hpp"

namespace stowbar {

enum class ActivationPolicy : int { regular = 0, accessory = 1, prohibited = 2 };

// One running application as the workspace lists it.
struct RunningApplication {
    std::int32_t pid = 0;
    ActivationPolicy activationPolicy = ActivationPolicy::accessory;
    std::optional<std::string> localizedName;
    std::optional<std::string> bundleIdentifier;
    // The application's icon at its own size; null when it has none.
    ImageRef icon;
};

// Which workspace notification an observer receives.
enum class WorkspaceNotification : std::uint8_t { didLaunchApplication, didTerminateApplication };

// The running applications of the desktop.
//
// Threading: main thread only. Observers are called on the main thread, on a turn of the loop
// of their own, and never after removeObserver returned for them.
class Workspace {
  public:
    virtual ~Workspace() = default;

    // In the order the system lists them.
    virtual std::vector<RunningApplication> runningApplications() const = 0;

    using ObserverToken = std::uint64_t;

    // Calls `handler` whenever any application is launched (or terminates). A system that
    // cannot tell returns a token that is never called. Tokens are never zero.
    virtual ObserverToken addObserver(WorkspaceNotification notification,
                                      std::function<void()> handler) = 0;
    virtual void removeObserver(ObserverToken token) = 0;

    // Whether the system has a handler for `url`. Where it has none, nothing offers to open
    // it; openURL() would do nothing.
    virtual bool canOpenURL(const std::string& url) const = 0;
    // Opens `url` with the system's handler for it.
    virtual void openURL(const std::string& url) = 0;
};

}  // namespace stowbar
