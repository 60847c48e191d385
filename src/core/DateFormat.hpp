#pragma once

#include <string>

#include "platform/FileSystem.hpp"

namespace stowbar {

// The date in UTC as "2026-01-31 08:05:09 +0000": the form the report prints dates in.
// Fractions of a second are dropped, not rounded.
std::string formatReportDate(const FileTimestamp& date);

}  // namespace stowbar
