#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/AppDelegate.hpp"
#include "platform/Application.hpp"
#include "platform/Platform.hpp"

namespace stowbar {

// The program's entry: chooses between the one-shot report and the menu bar application.
class StowbarApp {
  public:
    StowbarApp() = delete;

    // `arguments` is the full argument list, program path first. Returns the exit status.
    // `built`, when given, is called with the menu bar application's delegate once it is
    // built and before its loop runs, for a composition root that watches it (stowbar-sim
    // writes the published lists to its transcript).
    static int main(const std::vector<std::string>& arguments, const Platform& platform,
                    const std::function<void(AppDelegate&)>& built = {});
};

}  // namespace stowbar
