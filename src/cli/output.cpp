#include "cli/output.h"

#include <nlohmann/json.hpp>

#include "cli/escapes.h"
#include "settings/field_value.h"

namespace pagerprog::cli {

std::string shownValue(const Field& field) { return escaped(fieldValueText(field)); }

Json jsonValue(const Field& field) {
    if (field.def->kind == FieldKind::Level) return field.level;
    return jsonText(fieldValueText(field));
}

}  // namespace pagerprog::cli
