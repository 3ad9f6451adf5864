#include "cli/output.h"

#include <cstdio>
#include <nlohmann/json.hpp>

namespace pagerprog::cli {

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

namespace {

std::string plainValue(const Field& field) {
    switch (field.def->kind) {
        case FieldKind::Choice: return field.index < 0 ? "#-1" : field.text;
        case FieldKind::Flag: return field.checked ? "1" : "0";
        case FieldKind::Level: return std::to_string(field.level);
        default: return field.text;
    }
}

}  // namespace

std::string shownValue(const Field& field) { return escaped(plainValue(field)); }

Json jsonValue(const Field& field) {
    if (field.def->kind == FieldKind::Level) return field.level;
    return jsonText(plainValue(field));
}

}  // namespace pagerprog::cli
