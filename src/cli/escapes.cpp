#include "cli/escapes.h"

#include <cstdio>
#include <string_view>

namespace pagerprog::cli {

namespace {

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

}  // namespace

std::string escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        const auto code = static_cast<unsigned char>(c);
        if (c == '\\') {
            out += "\\\\";
        } else if (code < 0x20 || code > 0x7E) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", code);
            out += hex;
        } else {
            out += c;
        }
    }
    return out;
}

std::string unescaped(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const std::string_view rest = std::string_view(text).substr(i);
        if (rest.starts_with("\\\\")) {
            out += '\\';
            ++i;
        } else if (rest.size() >= 4 && rest.starts_with("\\x") && hexDigit(rest[2]) >= 0 && hexDigit(rest[3]) >= 0) {
            out += static_cast<char>(hexDigit(rest[2]) * 16 + hexDigit(rest[3]));
            i += 3;
        } else {
            out += text[i];
        }
    }
    return out;
}

}  // namespace pagerprog::cli
