#pragma once

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
    static int main(const std::vector<std::string>& arguments, const Platform& platform);
};

}  // namespace stowbar
