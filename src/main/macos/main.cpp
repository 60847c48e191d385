// The real program on macOS: builds the platform of this machine and hands it to StowbarApp.

#include <iostream>
#include <string>
#include <vector>

#include "adapters/macos/DispatchDirectoryWatcher.hpp"
#include "adapters/macos/MacAccessibility.hpp"
#include "adapters/macos/MacAlerts.hpp"
#include "adapters/macos/MacEventMonitor.hpp"
#include "adapters/macos/MacLoginItemService.hpp"
#include "adapters/macos/MacPopover.hpp"
#include "adapters/macos/MacScreenCapture.hpp"
#include "adapters/macos/MacStatusBar.hpp"
#include "adapters/macos/MacSystemInfo.hpp"
#include "adapters/macos/MacWorkspace.hpp"
#include "adapters/macos/MakeUpdater.hpp"
#include "adapters/plist/LibplistReader.hpp"
#include "adapters/posix/FlockInstanceLock.hpp"
#include "adapters/posix/PosixFileSystem.hpp"
#include "adapters/qt/QtApplication.hpp"
#include "adapters/qt/QtImageRenderer.hpp"
#include "adapters/qt/QtTranslations.hpp"
#include "core/Stowbar.hpp"
#include "core/UserTexts.hpp"

int main(int argc, char** argv) {
    // First, before any thread exists, so that termination signals reach the event loop.
    stowbar::QtApplication application;
    // The user's language, for every text shown from now on.
    const stowbar::QtTranslations translations;
    stowbar::useTranslations(&translations);

    stowbar::MacSystemInfo system;
    stowbar::PosixFileSystem files;
    stowbar::LibplistReader propertyLists;
    stowbar::MacAccessibility accessibility;
    stowbar::MacWorkspace workspace;
    stowbar::MacScreenCapture screenCapture;
    const stowbar::QtImageRenderer imageRenderer;
    // The status item and the popover window are built on first use, inside the running loop,
    // so the diagnostics report never creates them.
    stowbar::MacStatusBar statusBar;
    stowbar::MacPopover popover([&statusBar] { return statusBar.buttonFrame(); });
    stowbar::MacEventMonitor eventMonitor;
    stowbar::DispatchDirectoryWatcher directoryWatcher;
    stowbar::MacLoginItemService loginItems;
    stowbar::MacAlerts alerts;
    const auto updater = stowbar::makeUpdater();
    // One Stowbar per user: the lock lives in the user's caches folder, which macOS keeps per
    // user and never syncs.
    const std::string home = system.homeDirectory().value_or("");
    stowbar::FlockInstanceLock instanceLock(home.empty() ? std::string()
                                                         : home + "/Library/Caches/stowbar.lock");
    const stowbar::ShellPorts shell{statusBar, popover,  eventMonitor, directoryWatcher, loginItems,
                                    alerts,    *updater, &popover,     &instanceLock};
    const stowbar::Platform platform{system,    files,         propertyLists, accessibility,
                                     workspace, screenCapture, imageRenderer, application,
                                     std::cout, shell};

    const std::vector<std::string> arguments(argv, argv + argc);
    stowbar::StowbarApp::main(arguments, platform);
    return 0;
}
