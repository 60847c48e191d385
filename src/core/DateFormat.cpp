#include "core/DateFormat.hpp"

#include <chrono>
#include <cstdio>
#include <string>

#include "platform/FileSystem.hpp"

namespace stowbar {

std::string formatReportDate(const FileTimestamp& date) {
    using namespace std::chrono;
    const sys_seconds instant{seconds{date.seconds}};
    const auto day = floor<days>(instant);
    const year_month_day calendar{day};
    const hh_mm_ss<seconds> time{instant - day};
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u %02d:%02d:%02d +0000",
                  static_cast<int>(calendar.year()), static_cast<unsigned>(calendar.month()),
                  static_cast<unsigned>(calendar.day()), static_cast<int>(time.hours().count()),
                  static_cast<int>(time.minutes().count()),
                  static_cast<int>(time.seconds().count()));
    return text;
}

}  // namespace stowbar
