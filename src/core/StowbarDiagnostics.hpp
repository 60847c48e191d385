#pragma once

#include <string>

#include "platform/Platform.hpp"

namespace stowbar {

// The "--diagnose" report: step by step, whether Control Center's preferences file can be
// found, examined, read and parsed, which applications it hides, and what the accessibility
// scan finds. It changes nothing, and every failure becomes a line of the report.
//
// Runs synchronously on the calling (main) thread and writes only to the platform's standard
// output; nothing goes to standard error.
class StowbarDiagnostics {
  public:
    StowbarDiagnostics() = delete;

    static void run(const Platform& platform);

  private:
    static void diagnoseControlCenterFile(const Platform& platform, const std::string& path);
    static void diagnoseSnapshot(const Platform& platform);
    static void diagnoseAccessibility(const Platform& platform);
};

}  // namespace stowbar
