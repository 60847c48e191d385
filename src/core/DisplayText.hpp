#pragma once

#include <string>
#include <string_view>

namespace stowbar {

// Text that comes from outside the program (an application's name, a bundle identifier, a path,
// an error's description) may hold control characters: C0 controls, DEL, C1 controls, and the
// Unicode line and paragraph separators. Shown as given, a line feed in a name splits a row into
// two clipped lines and a report line into two lines that no longer say what they belong to.
// Both functions read UTF-8 and leave every other byte, valid or not, as it is.

// The text as a row shows it, on one line: each control character becomes one space.
std::string singleLineText(std::string_view text);

// The text as a report line prints it: "\n", "\r" and "\t" for those three, "\u{1B}" (upper-case
// hexadecimal digits of the code point) for every other control character, and "\\" for a
// backslash, so that a name holding a written "\n" does not print as one holding a line feed.
std::string escapedControlCharacters(std::string_view text);

}  // namespace stowbar
