#pragma once

#include <iosfwd>

#include "platform/Accessibility.hpp"
#include "platform/Application.hpp"
#include "platform/FileSystem.hpp"
#include "platform/ImageRenderer.hpp"
#include "platform/PropertyList.hpp"
#include "platform/ScreenCapture.hpp"
#include "platform/ShellPorts.hpp"
#include "platform/SystemInfo.hpp"
#include "platform/Workspace.hpp"

namespace stowbar {

// Everything the core reaches of the outside world, built once by a composition root
// (the real program's main, or the simulator) and handed to StowbarApp::main. The platform
// outlives everything the core builds from it.
struct Platform {
    const SystemInfo& system;
    const FileSystem& files;
    const PropertyListReader& propertyLists;
    Accessibility& accessibility;
    Workspace& workspace;
    ScreenCapture& screenCapture;
    const ImageRenderer& imageRenderer;
    Application& application;
    // Where the diagnostics report goes: standard output in a real run.
    std::ostream& standardOutput;
    // The running application's own ports: status item, popover, directory watch, login item,
    // alerts, updater. The diagnostics report uses none of them.
    const ShellPorts& shell;
};

}  // namespace stowbar
