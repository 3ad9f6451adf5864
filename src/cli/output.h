// How the command-line tool writes values on standard output: one line a value, escaped
// so that a script can trust it, and JSON where it is asked for.
#pragma once

#include <string>

#include "app/record/json_text.h"
#include "settings/settings_model.h"

namespace pagerprog::cli {

// A field's value as `show` prints it: a choice's item (#-1 for none), 1 or 0 for a box,
// a track bar's level, a text as it is; escaped.
std::string shownValue(const Field& field);

// The same value, unescaped, as a JSON value: a string, or a number for a level.
Json jsonValue(const Field& field);

}  // namespace pagerprog::cli
