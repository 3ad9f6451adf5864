#include "cli/output.h"

#include <nlohmann/json.hpp>

#include "cli/escapes.h"

namespace pagerprog::cli {

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
