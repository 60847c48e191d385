#include "adapters/qt/QtTranslations.hpp"

#include <QLocale>
#include <QString>
#include <QTranslator>

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

namespace stowbar {

namespace {

// Every text is filed under this one context: the table of texts is one list, not one per
// class as lupdate would make it.
constexpr const char* kContext = "Stowbar";

}  // namespace

QtTranslations::QtTranslations(const QLocale& locale)
    : loaded_(translator_.load(locale, QStringLiteral("stowbar"), QStringLiteral("_"),
                               QStringLiteral(":/translations"))) {}

std::optional<std::string> QtTranslations::translate(std::string_view key,
                                                     std::optional<std::int64_t> count) const {
    if (!loaded_) {
        return std::nullopt;
    }
    // Qt picks a plural form from an int; a count beyond that takes the form of the largest
    // int, which every language files with "many" or "other" like any large number.
    int n = -1;
    if (count) {
        n = *count > std::numeric_limits<int>::max() ? std::numeric_limits<int>::max()
            : *count < 0                             ? 0
                                                     : static_cast<int>(*count);
    }
    const std::string source(key);
    const QString found = translator_.translate(kContext, source.c_str(), nullptr, n);
    if (found.isEmpty()) {
        return std::nullopt;
    }
    return found.toStdString();
}

}  // namespace stowbar
