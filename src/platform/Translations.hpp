#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace stowbar {

// The user's language's wording of the program's texts, read from translation files. The
// program's own texts are English; every one of them is a key here, exactly as written in
// the table of texts (core/UserTexts.hpp), its "%lld" placeholders included.
//
// Threading: main thread only. Installed once at start-up, before anything is shown, and
// outlives everything that shows a text.
class Translations {
  public:
    virtual ~Translations() = default;

    // The translation of `key`, or nothing when the user's language has none for it. With a
    // count, the form the user's language uses for that number (one, few, many, ...), chosen
    // by that language's own plural rules; the placeholders are left for the caller to fill.
    virtual std::optional<std::string> translate(std::string_view key,
                                                 std::optional<std::int64_t> count) const = 0;
};

}  // namespace stowbar
