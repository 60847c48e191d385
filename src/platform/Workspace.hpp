#pragma once

#include <cstdint>
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

// The running applications of the desktop.
//
// Threading: main thread only.
class Workspace {
  public:
    virtual ~Workspace() = default;

    // In the order the system lists them.
    virtual std::vector<RunningApplication> runningApplications() const = 0;
};

}  // namespace stowbar
