// A field's value as one text, the form the command line's `show` prints (escaped there)
// and the pager audit compares.
#pragma once

#include <string>

#include "settings/settings_model.h"

namespace pagerprog {

// A choice's item ("#-1" for none), 1 or 0 for a box, a track bar's level, a text as it is.
std::string fieldValueText(const Field& field);

}  // namespace pagerprog
