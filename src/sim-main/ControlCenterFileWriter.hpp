#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace stowbar {

// Writes Control Center's preferences file as the system does: a binary property list whose
// "trackedApplications" value holds, as data, another binary property list with one entry per
// application (not allowed in the menu bar). Replaces the file atomically, through a new file
// beside it, as the system's preferences daemon does, and dates it `modified`: the simulator
// runs hours of virtual time in milliseconds, and with the machine's own dates two writes of
// one size could share a date or not depending on how busy the machine was. Creates missing
// directories. Returns whether the file was written.
//
// For the simulator only: the program itself never writes this file.
bool writeControlCenterHiddenSet(const std::string& path,
                                 const std::vector<std::string>& bundleIdentifiers,
                                 std::filesystem::file_time_type modified);

// Writes exactly `bytes` as the file, in the same way, whatever they are.
bool writeControlCenterFile(const std::string& path, const std::string& bytes,
                            std::filesystem::file_time_type modified);

}  // namespace stowbar
