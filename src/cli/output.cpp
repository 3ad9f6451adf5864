#include "cli/output.h"

#include <nlohmann/json.hpp>

#include "cli/escapes.h"
#include "context/context.h"
#include "settings/decoder.h"
#include "settings/field_value.h"

namespace pagerprog::cli {

namespace {

std::string storedValue(const Context& ctx, const Field& field) {
    return fieldValueText(field) + storedTextTail(ctx, field.def->name);
}

}  // namespace

std::string shownValue(const Context& ctx, const Field& field) { return escaped(storedValue(ctx, field)); }

Json jsonValue(const Context& ctx, const Field& field) {
    if (field.def->kind == FieldKind::Level) return field.level;
    return jsonText(storedValue(ctx, field));
}

}  // namespace pagerprog::cli
