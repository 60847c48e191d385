// The conformance suites, run for the macOS ports that need no logged-in session: the dispatch
// directory watch and the workspace. POSIX files are checked by ../PosixConformanceTest.cpp. Then
// what the macOS adapters alone promise: an agent is listed and its launch and end are heard, the
// system facts are this process's and this Mac's, and images come out in the core's pixel layout.

#include <CoreFoundation/CoreFoundation.h>
#include <CoreGraphics/CoreGraphics.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "adapters/macos/AbsentUpdater.hpp"
#include "adapters/macos/CGImageBitmap.hpp"
#include "adapters/macos/DispatchDirectoryWatcher.hpp"
#include "adapters/macos/MacSystemInfo.hpp"
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

// Turns the main run loop, as the application's loop would, until `done` or 20 seconds.
bool turnUntil(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!done() && std::chrono::steady_clock::now() < deadline) {
        CFRunLoopRunInMode(kCFRunLoopDefaultMode, 0.05, true);
    }
    return done();
}

std::optional<RunningApplication> entryOf(const Workspace& workspace, const std::string& bundleId) {
    for (RunningApplication& application : workspace.runningApplications()) {
        if (application.bundleIdentifier == bundleId) {
            return std::move(application);
        }
    }
    return std::nullopt;
}

std::optional<std::int32_t> pidOf(const Workspace& workspace, const std::string& bundleId) {
    const std::optional<RunningApplication> entry = entryOf(workspace, bundleId);
    return entry ? std::optional<std::int32_t>(entry->pid) : std::nullopt;
}

// The workspace's launch notification is not posted for agents, which own most menu bar extras:
// an agent (LSUIElement) bundle around /bin/sleep, opened by Launch Services, must be heard
// starting and ending all the same. The listing holds applications, not every process (this
// test, a command-line tool, need not be in it): the agent opened by Launch Services is, as an
// accessory, which is what LSUIElement makes an application.
TEST(MacWorkspace, ListsAnAgentApplicationAsAnAccessoryAndHearsItsLaunchAndEnd) {
    const test::TemporaryDirectory folder;
    const std::string bundleId = "org.stowbar.conformance.agent";
    const auto bundle = folder.path() / "StowbarAgent.app";
    std::filesystem::create_directories(bundle / "Contents/MacOS");
    std::filesystem::copy_file("/bin/sleep", bundle / "Contents/MacOS/StowbarAgent");
    std::ofstream(bundle / "Contents/Info.plist")
        << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
           "<key>CFBundleIdentifier</key><string>"
        << bundleId
        << "</string><key>CFBundleExecutable</key><string>StowbarAgent</string>"
           "<key>CFBundlePackageType</key><string>APPL</string>"
           "<key>LSUIElement</key><true/></dict></plist>\n";

    MacWorkspace workspace;
    int launches = 0;
    int ends = 0;
    const auto launched =
        workspace.addObserver(WorkspaceNotification::didLaunchApplication, [&] { ++launches; });
    const auto ended =
        workspace.addObserver(WorkspaceNotification::didTerminateApplication, [&] { ++ends; });
    const std::string bundlePath = bundle.string();
    std::array<const char*, 8> arguments{"/usr/bin/open", "-g", "-n",   bundlePath.c_str(),
                                         "--args",        "60", nullptr};
    pid_t opener = 0;
    ASSERT_EQ(posix_spawn(&opener, arguments[0], nullptr, nullptr,
                          const_cast<char* const*>(arguments.data()), nullptr),
              0);
    int openStatus = 0;
    waitpid(opener, &openStatus, 0);
    ASSERT_EQ(openStatus, 0) << "open could not start the agent";

    ASSERT_TRUE(turnUntil([&] { return pidOf(workspace, bundleId) && launches > 0; }))
        << "the agent's launch was not heard";
    const std::optional<RunningApplication> entry = entryOf(workspace, bundleId);
    ASSERT_TRUE(entry.has_value());
    EXPECT_GT(entry->pid, 0);
    EXPECT_EQ(entry->activationPolicy, ActivationPolicy::accessory);
    const int endsBefore = ends;
    kill(static_cast<pid_t>(entry->pid), SIGTERM);
    EXPECT_TRUE(turnUntil([&] { return !pidOf(workspace, bundleId) && ends > endsBefore; }))
        << "the agent's end was not heard";
    workspace.removeObserver(launched);
    workspace.removeObserver(ended);
}

// The deployment target is macOS 26, so the test cannot run on anything older; the version is
// the real one only for a binary built against the macOS 26 SDK, as this one is.
TEST(MacSystemInfo, AnswersForThisProcessOnMacOS26OrLater) {
    const MacSystemInfo system;
    EXPECT_GE(system.operatingSystemVersion().major, 26);
    EXPECT_GT(system.systemUptime(), Duration::zero());
    EXPECT_EQ(system.processIdentifier(), static_cast<std::int32_t>(getpid()));
    const std::optional<std::string> home = system.homeDirectory();
    ASSERT_TRUE(home.has_value());
    EXPECT_FALSE(home->empty());
}

// Draws `pixels` (0xAARRGGBB, premultiplied, top row first) into an image of CoreGraphics' own.
CGImageRef imageOf(std::vector<std::uint32_t> pixels, std::size_t width, std::size_t height) {
    CGColorSpaceRef space = CGColorSpaceCreateWithName(kCGColorSpaceSRGB);
    CGContextRef context =
        CGBitmapContextCreate(pixels.data(), width, height, 8, width * sizeof(std::uint32_t), space,
                              static_cast<std::uint32_t>(kCGImageAlphaPremultipliedFirst) |
                                  static_cast<std::uint32_t>(kCGBitmapByteOrder32Little));
    CGColorSpaceRelease(space);
    CGImageRef image = CGBitmapContextCreateImage(context);
    CGContextRelease(context);
    return image;
}

// Byte order, row direction and premultiplied alpha: a picture in the core's layout comes back
// the same, its top row first, a half-transparent red kept premultiplied.
TEST(CGImageBitmap, KeepsTheCoresPixelLayoutTopRowFirst) {
    const std::vector<std::uint32_t> pixels{0xFFFF0000u, 0xFF00FF00u,   // top: red, green
                                            0x80800000u, 0xFF0000FFu};  // half red, blue
    CGImageRef image = imageOf(pixels, 2, 2);
    ASSERT_NE(image, nullptr);
    const std::optional<Bitmap> bitmap = bitmapFromCGImage(image, 2, 2);
    CGImageRelease(image);
    ASSERT_TRUE(bitmap.has_value());
    EXPECT_EQ(bitmap->width, 2);
    EXPECT_EQ(bitmap->height, 2);
    EXPECT_EQ(bitmap->pixels, pixels);
    EXPECT_FALSE(bitmapFromCGImage(nullptr, 2, 2).has_value());
}

}  // namespace
}  // namespace stowbar::conformance
