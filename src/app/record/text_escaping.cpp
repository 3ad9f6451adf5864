#include "app/record/text_escaping.h"

#include <cstdint>
#include <cstdio>

namespace pagerprog {

namespace {

bool continuation(std::string_view text, std::size_t at, std::uint8_t low = 0x80, std::uint8_t high = 0xBF) {
    if (at >= text.size()) return false;
    const auto byte = static_cast<std::uint8_t>(text[at]);
    return byte >= low && byte <= high;
}

// The length of the well-formed UTF-8 sequence at `at` (Unicode's table of well-formed
// byte sequences), or 0.
std::size_t utf8Length(std::string_view text, std::size_t at) {
    const auto lead = static_cast<std::uint8_t>(text[at]);
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) return continuation(text, at + 1) ? 2 : 0;
    if (lead >= 0xE0 && lead <= 0xEF) {
        const std::uint8_t low = lead == 0xE0 ? 0xA0 : 0x80;
        const std::uint8_t high = lead == 0xED ? 0x9F : 0xBF;
        return continuation(text, at + 1, low, high) && continuation(text, at + 2) ? 3 : 0;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        const std::uint8_t low = lead == 0xF0 ? 0x90 : 0x80;
        const std::uint8_t high = lead == 0xF4 ? 0x8F : 0xBF;
        return continuation(text, at + 1, low, high) && continuation(text, at + 2) && continuation(text, at + 3) ? 4
                                                                                                                 : 0;
    }
    return 0;
}

void appendUnicodeEscape(std::string& out, unsigned code) {
    char escape[8];
    std::snprintf(escape, sizeof escape, "\\u%04x", code);
    out += escape;
}

}  // namespace

std::string csvField(std::string_view value) {
    const bool quoted = value.find_first_of(",\"\r\n") != std::string_view::npos ||
                        (!value.empty() && (value.front() == ' ' || value.back() == ' '));
    if (!quoted) return std::string(value);
    std::string out = "\"";
    for (char c : value) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
    return out;
}

std::string jsonString(std::string_view value) {
    std::string out = "\"";
    for (std::size_t at = 0; at < value.size();) {
        const char c = value[at];
        const std::size_t length = utf8Length(value, at);
        if (length == 0) {
            appendUnicodeEscape(out, static_cast<std::uint8_t>(c));
            ++at;
            continue;
        }
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\b': out += "\\b"; break;
            case '\f': out += "\\f"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (static_cast<std::uint8_t>(c) < 0x20) {
                    appendUnicodeEscape(out, static_cast<std::uint8_t>(c));
                } else {
                    out.append(value.substr(at, length));
                }
        }
        at += length;
    }
    out += '"';
    return out;
}

}  // namespace pagerprog
