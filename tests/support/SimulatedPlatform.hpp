#pragma once

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "adapters/plist/LibplistReader.hpp"
#include "adapters/posix/PosixFileSystem.hpp"
#include "adapters/sim/DesktopSimulation.hpp"
#include "adapters/sim/SimulatedAccessibility.hpp"
#include "adapters/sim/SimulatedFileSystem.hpp"
#include "adapters/sim/SimulatedScreenCapture.hpp"
#include "adapters/sim/SimulatedShell.hpp"
#include "adapters/sim/SimulatedWorkspace.hpp"
#include "platform/Platform.hpp"
#include "support/FakeApplication.hpp"
#include "support/FakeImageRenderer.hpp"
#include "support/FakeSystemInfo.hpp"
#include "support/PlistBuilder.hpp"
#include "support/TemporaryDirectory.hpp"

namespace stowbar::test {

// Ports a test or benchmark brings of its own instead of the simulated ones.
struct PortChoices {
    const FileSystem* files = nullptr;
    Accessibility* accessibility = nullptr;
    ScreenCapture* screenCapture = nullptr;
    const ImageRenderer* imageRenderer = nullptr;
    Application* application = nullptr;
    const ShellPorts* shell = nullptr;
};

// Everything a Platform is made of, over the simulated desktop, with real files in a temporary
// home: the one setup shared by the tests and benchmarks that run the core. The Platform
// returned by platform() refers to these members, so it must not outlive them.
struct SimulatedPlatform {
    SimulatedPlatform() { system.home = home.path().string(); }

    Platform platform(const PortChoices& choices = {}) {
        return {system,
                choices.files != nullptr ? *choices.files : files,
                propertyLists,
                choices.accessibility != nullptr ? *choices.accessibility : accessibility,
                workspace,
                choices.screenCapture != nullptr ? *choices.screenCapture : screenCapture,
                choices.imageRenderer != nullptr ? *choices.imageRenderer : imageRenderer,
                choices.application != nullptr ? *choices.application : application,
                out,
                choices.shell != nullptr ? *choices.shell : shell.ports};
    }

    // Writes Control Center's file hiding the applications with these bundle identifiers.
    std::filesystem::path writeHiddenSet(const std::vector<std::string>& identifiers) const {
        return home.write(kControlCenterFile, hiddenSetFile(identifiers).binary());
    }
    std::string controlCenterPath() const { return (home.path() / kControlCenterFile).string(); }

    TemporaryDirectory home;
    FakeSystemInfo system;
    DesktopSimulation simulation;
    PosixFileSystem realFiles;
    SimulatedFileSystem files{realFiles, simulation};
    LibplistReader propertyLists;
    SimulatedAccessibility accessibility{simulation};
    SimulatedWorkspace workspace{simulation};
    SimulatedScreenCapture screenCapture{simulation};
    FakeImageRenderer imageRenderer;
    FakeApplication application;
    std::ostringstream out;
    SimulatedShell shell{files};
};

}  // namespace stowbar::test
