#include "core/UserTexts.hpp"

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "platform/Translations.hpp"

namespace stowbar {

namespace {

// Set once at start-up on the main thread and read only there.
const Translations* installed = nullptr;

std::string fillPlaceholders(std::string text, std::initializer_list<std::int64_t> numbers) {
    constexpr std::string_view placeholder = "%lld";
    std::size_t from = 0;
    for (const std::int64_t number : numbers) {
        const auto at = text.find(placeholder, from);
        if (at == std::string::npos) {
            break;
        }
        const std::string digits = std::to_string(number);
        text.replace(at, placeholder.size(), digits);
        from = at + digits.size();
    }
    return text;
}

}  // namespace

void useTranslations(const Translations* translations) {
    installed = translations;
}

std::string localized(std::string_view text) {
    if (installed != nullptr) {
        if (auto translated = installed->translate(text, std::nullopt)) {
            return *std::move(translated);
        }
    }
    return std::string(text);
}

std::string localized(const CountText& text, std::initializer_list<std::int64_t> numbers) {
    std::int64_t deciding = 0;
    for (const std::int64_t number : numbers) {
        deciding = number;
    }
    if (installed != nullptr) {
        if (auto translated = installed->translate(text.other, deciding)) {
            return fillPlaceholders(*std::move(translated), numbers);
        }
    }
    return fillPlaceholders(std::string(deciding == 1 ? text.one : text.other), numbers);
}

}  // namespace stowbar
