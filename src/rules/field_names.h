// Field names and keys as the rules use them; the slot and folder field names come
// from the field table.
#pragma once

#include <string>
#include <string_view>

#include "settings/field_table.h"

namespace pagerprog::rules {

inline bool isDigit(char key) { return key >= '0' && key <= '9'; }

}  // namespace pagerprog::rules
