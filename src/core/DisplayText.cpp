#include "core/DisplayText.hpp"

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

namespace stowbar {

namespace {

struct ControlCharacter {
    std::uint32_t codePoint = 0;
    std::size_t length = 0;  // in bytes
};

// The control character that starts at `at`, if one does. Only the encodings of control
// characters are recognised; nothing else needs decoding.
std::optional<ControlCharacter> controlAt(std::string_view text, std::size_t at) {
    const auto byte = [&](std::size_t offset) {
        return static_cast<unsigned char>(text[at + offset]);
    };
    const std::size_t left = text.size() - at;
    if (byte(0) < 0x20 || byte(0) == 0x7F) {
        return ControlCharacter{byte(0), 1};
    }
    if (left >= 2 && byte(0) == 0xC2 && byte(1) >= 0x80 && byte(1) <= 0x9F) {
        return ControlCharacter{byte(1), 2};
    }
    if (left >= 3 && byte(0) == 0xE2 && byte(1) == 0x80 && (byte(2) == 0xA8 || byte(2) == 0xA9)) {
        return ControlCharacter{0x2000u + (byte(2) - 0x80u), 3};
    }
    return std::nullopt;
}

// Each control character as `replace` writes it, and each backslash as `backslash`.
template <typename Replace>
std::string replacingControls(std::string_view text, std::string_view backslash, Replace replace) {
    std::string result;
    result.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        if (const auto control = controlAt(text, at)) {
            replace(result, control->codePoint);
            at += control->length;
        } else if (text[at] == '\\') {
            result += backslash;
            ++at;
        } else {
            result += text[at++];
        }
    }
    return result;
}

}  // namespace

std::string singleLineText(std::string_view text) {
    return replacingControls(text, "\\", [](std::string& out, std::uint32_t) { out += ' '; });
}

std::string escapedControlCharacters(std::string_view text) {
    return replacingControls(text, "\\\\", [](std::string& out, std::uint32_t codePoint) {
        switch (codePoint) {
            case '\n':
                out += "\\n";
                return;
            case '\r':
                out += "\\r";
                return;
            case '\t':
                out += "\\t";
                return;
            default:
                break;
        }
        char escape[16];
        std::snprintf(escape, sizeof escape, "\\u{%X}", static_cast<unsigned>(codePoint));
        out += escape;
    });
}

}  // namespace stowbar
