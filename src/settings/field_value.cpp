#include "settings/field_value.h"

namespace pagerprog {

std::string fieldValueText(const Field& field) {
    switch (field.def->kind) {
        case FieldKind::Choice: return field.index < 0 ? "#-1" : field.text;
        case FieldKind::Flag: return field.checked ? "1" : "0";
        case FieldKind::Level: return std::to_string(field.level);
        default: return field.text;
    }
}

}  // namespace pagerprog
