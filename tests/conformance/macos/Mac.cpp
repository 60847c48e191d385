// The conformance suites, run for the macOS ports that need no logged-in session: the dispatch
// directory watch and the workspace. POSIX files are checked by ../Posix.cpp.

#include <CoreFoundation/CoreFoundation.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>

#include "adapters/macos/AbsentUpdater.hpp"
#include "adapters/macos/DispatchDirectoryWatcher.hpp"
#include "adapters/macos/MacWorkspace.hpp"
#include "conformance/ShellPortsConformance.hpp"
#include "conformance/WorkspaceConformance.hpp"
#include "support/TemporaryDirectory.hpp"

namespace stowbar::conformance {
namespace {

// The watcher delivers on the main dispatch queue, which the main thread's run loop drains: the
// tests run on the main thread, so turning that run loop here delivers exactly what the Qt loop
// would in the application, without needing a window server.
class DispatchWatcherHarness {
  public:
    DirectoryWatcher& watcher() { return watcher_; }
    std::filesystem::path directory() { return directory_.path(); }
    void written(const std::filesystem::path&) {}
    // The kernel reports the write asynchronously: the wait ends as soon as it arrived, and the
    // bound only keeps a broken watch from hanging the test.
    bool runUntil(const std::function<bool()>& done) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (!done() && std::chrono::steady_clock::now() < deadline) {
            CFRunLoopRunInMode(kCFRunLoopDefaultMode, 0.02, true);
        }
        return done();
    }

  private:
    test::TemporaryDirectory directory_;
    DispatchDirectoryWatcher watcher_;
};

INSTANTIATE_TYPED_TEST_SUITE_P(Dispatch, DirectoryWatcherConformance,
                               ::testing::Types<DispatchWatcherHarness>);

// A test cannot start an application with a pid of its choosing, so only the observer tokens
// are checked: adding and removing them needs no session.
class MacWorkspaceHarness {
  public:
    Workspace& workspace() { return workspace_; }
    bool launch(std::int32_t) { return false; }
    bool terminate(std::int32_t) { return false; }

  private:
    MacWorkspace workspace_;
};

INSTANTIATE_TYPED_TEST_SUITE_P(Mac, WorkspaceConformance, ::testing::Types<MacWorkspaceHarness>);

// A build without the updater framework: there is nothing to show a check.
class AbsentUpdaterHarness {
  public:
    Updater& updater() { return updater_; }
    static int checksShown() { return 0; }

  private:
    AbsentUpdater updater_;
};

INSTANTIATE_TYPED_TEST_SUITE_P(Absent, UpdaterConformance, ::testing::Types<AbsentUpdaterHarness>);

}  // namespace
}  // namespace stowbar::conformance
