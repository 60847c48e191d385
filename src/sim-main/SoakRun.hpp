#pragma once

#include "sim-main/ScriptedApplication.hpp"
#include "sim-main/SoakChurn.hpp"

namespace stowbar {

// What a soak adds to a run of the program: it measures the process, not the desktop.

// glibc keeps a few freed blocks per size in each thread's cache, and counts those as handed
// out; the cache fills over the first days of a soak and would read as a slow leak. A soak
// therefore runs itself again with the caches off, before any thread starts, so that its heap
// figure is what the program holds. Returns only when it already runs so, or could not.
void runAgainWithoutThreadCaches(char** argv);

// The application takes its actions from `churn` instead of the scenario's script, and writes
// a "soak" line on standard output as each day ends, with the process's resident memory, the
// bytes malloc has handed out and the longest turn of the main thread that day. Both must
// outlive the run.
//
// Threading: main thread only, like the application.
void driveWithChurn(ScriptedApplication& application, SoakChurn& churn);

}  // namespace stowbar
