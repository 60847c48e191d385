#pragma once

#include <string>
#include <vector>

#include "platform/Application.hpp"
#include "platform/Platform.hpp"

namespace stowbar {

// The single long-lived object of the menu bar application: it owns everything the running
// application consists of, from launch to termination.
//
// Threading: constructed, called and destroyed on the main thread only.
class AppDelegate final : public ApplicationDelegate {
  public:
    explicit AppDelegate(const Platform& platform);

    void applicationDidFinishLaunching() override;
    void applicationWillTerminate() override;

  private:
    const Platform& platform_;
    bool launched_ = false;
    bool terminated_ = false;
};

// The program's entry: chooses between the one-shot report and the menu bar application.
class StowbarApp {
  public:
    StowbarApp() = delete;

    // `arguments` is the full argument list, program path first. Returns the exit status.
    static int main(const std::vector<std::string>& arguments, const Platform& platform);
};

}  // namespace stowbar
