#pragma once

#include <memory>

#include "platform/ShellPorts.hpp"

namespace stowbar {

// The updater this build was made with: Sparkle's when configured with STOWBAR_SPARKLE=ON
// (SparkleUpdater.mm), otherwise one that says there is none (AbsentUpdater.cpp). CMake picks
// the source file that defines it.
//
// Threading: main thread.
std::unique_ptr<Updater> makeUpdater();

}  // namespace stowbar
