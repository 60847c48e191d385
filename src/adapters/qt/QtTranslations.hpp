#pragma once

#include <QLocale>
#include <QTranslator>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/Translations.hpp"

namespace stowbar {

// Translations from Qt Linguist files: translations/stowbar_<language>.ts, compiled by lrelease
// and built into the program under :/translations. The file for the first of the locale's
// languages that has one is used; none (English, or a language nobody translated yet) leaves
// every text as the table writes it. Each file carries its language's plural rules, so a count
// takes that language's form for its number.
//
// Threading: main thread only. Built before anything is shown.
class QtTranslations final : public Translations {
  public:
    explicit QtTranslations(const QLocale& locale = QLocale());

    // Whether a translation file was found for the locale.
    bool loaded() const { return loaded_; }

    std::optional<std::string> translate(std::string_view key,
                                         std::optional<std::int64_t> count) const override;

  private:
    QTranslator translator_;
    bool loaded_ = false;
};

}  // namespace stowbar
