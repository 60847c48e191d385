// The real program: builds the platform of this machine and hands it to StowbarApp.

#include <iostream>
#include <string>
#include <vector>

#include "adapters/linux/InotifyDirectoryWatcher.hpp"
#include "adapters/linux/LinuxAccessibility.hpp"
#include "adapters/linux/LinuxScreenCapture.hpp"
#include "adapters/linux/LinuxShell.hpp"
#include "adapters/linux/LinuxWorkspace.hpp"
#include "adapters/plist/LibplistReader.hpp"
#include "adapters/posix/FlockInstanceLock.hpp"
#include "adapters/posix/PosixFileSystem.hpp"
#include "adapters/posix/PosixSystemInfo.hpp"
#include "adapters/qt/QtApplication.hpp"
#include "adapters/qt/QtImageRenderer.hpp"
#include "adapters/qt/QtShell.hpp"
#include "adapters/qt/QtTranslations.hpp"
#include "core/Stowbar.hpp"
#include "core/UserTexts.hpp"
#include "platform/Platform.hpp"
#include "platform/ShellPorts.hpp"

int main(int argc, char** argv) {
    // First, before any thread exists, so that termination signals reach the event loop.
    stowbar::QtApplication application;
    // The user's language, for every text shown from now on.
    const stowbar::QtTranslations translations;
    stowbar::useTranslations(&translations);

    stowbar::PosixSystemInfo system;
    stowbar::PosixFileSystem files;
    stowbar::LibplistReader propertyLists;
    stowbar::LinuxAccessibility accessibility;
    stowbar::LinuxWorkspace workspace;
    stowbar::LinuxScreenCapture screenCapture;
    const stowbar::QtImageRenderer imageRenderer;
    // The tray icon and popup are built on first use, inside the running loop, so the
    // diagnostics report never creates them.
    stowbar::qt::QtShell trayShell;
    stowbar::InotifyDirectoryWatcher directoryWatcher;
    stowbar::LinuxLoginItemService loginItems;
    stowbar::LinuxAlerts alerts;
    stowbar::LinuxUpdater updater;
    stowbar::FlockInstanceLock instanceLock(
        stowbar::FlockInstanceLock::defaultPath(system.homeDirectory().value_or("")), &std::cerr);
    const stowbar::ShellPorts shell{trayShell, trayShell, trayShell,  directoryWatcher, loginItems,
                                    alerts,    updater,   &trayShell, &instanceLock};
    const stowbar::Platform platform{system,    files,         propertyLists, accessibility,
                                     workspace, screenCapture, imageRenderer, application,
                                     std::cout, shell};

    const std::vector<std::string> arguments(argv, argv + argc);
    stowbar::StowbarApp::main(arguments, platform);
    return application.exitStatus();
}
