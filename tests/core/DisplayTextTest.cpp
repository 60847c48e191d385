#include "core/DisplayText.hpp"

#include <gtest/gtest.h>
#include <string_view>

namespace stowbar {
namespace {

TEST(DisplayText, ControlCharactersShowAsSpacesInARowAndAReportEscapesThemAndBackslashes) {
    struct Case {
        std::string_view text;
        const char* row;
        const char* report;
    };
    using namespace std::string_view_literals;
    const Case cases[] = {
        {"Alpha", "Alpha", "Alpha"},
        {"Alpha\nBeta", "Alpha Beta", "Alpha\\nBeta"},
        {"\tTab\r", " Tab ", "\\tTab\\r"},
        {"nul\0end"sv, "nul end", "nul\\u{0}end"},
        {"esc\x1b[31m", "esc [31m", "esc\\u{1B}[31m"},
        {"del\x7f", "del ", "del\\u{7F}"},
        // A backslash is escaped too, so that a written "\n" is not read as a line feed.
        {"Alpha\\nBeta", "Alpha\\nBeta", "Alpha\\\\nBeta"},
        {"C:\\\\", "C:\\\\", "C:\\\\\\\\"},
        // C1 controls and the Unicode line and paragraph separators, in UTF-8.
        {"next\xc2\x85line", "next line", "next\\u{85}line"},
        {"a\u2028b\u2029c", "a b c", "a\\u{2028}b\\u{2029}c"},
        // Letters beyond ASCII are not controls, nor are bytes that are not UTF-8 at all.
        {"Caf\u00e9 \u00a0 \u2026", "Caf\u00e9 \u00a0 \u2026", "Caf\u00e9 \u00a0 \u2026"},
        {"bad\xc2", "bad\xc2", "bad\xc2"},
        {"\xff\xfe", "\xff\xfe", "\xff\xfe"},
        {"", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.report);
        EXPECT_EQ(singleLineText(c.text), c.row);
        EXPECT_EQ(escapedControlCharacters(c.text), c.report);
    }
}

}  // namespace
}  // namespace stowbar
