#pragma once

#include <string>
#include <vector>

namespace stowbar {

// Writes Control Center's preferences file as the system does: a binary property list whose
// "trackedApplications" value holds, as data, another binary property list with one entry per
// application (not allowed in the menu bar). Replaces the file atomically, through a new file
// beside it, as the system's preferences daemon does. Creates missing directories. Returns
// whether the file was written.
//
// For the simulator only: the program itself never writes this file.
bool writeControlCenterHiddenSet(const std::string& path,
                                 const std::vector<std::string>& bundleIdentifiers);

}  // namespace stowbar
