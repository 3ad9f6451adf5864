// How the command-line tool writes values on standard output: one line a value, escaped
// so that a script can trust it, and JSON where it is asked for.
#pragma once

#include <string>

#include "app/record/json_text.h"
#include "settings/settings_model.h"

namespace pagerprog {
struct Context;
}

namespace pagerprog::cli {

// A field's value as `show` prints it: a choice's item (#-1 for none), 1 or 0 for a box,
// a track bar's level, a text as it is; escaped. A text slot that keeps bytes after the
// zero ending its text shows them too ("--\x00QTX73T"), so that none is hidden.
std::string shownValue(const Context& ctx, const Field& field);

// The same value, unescaped, as a JSON value: a string, or a number for a level.
Json jsonValue(const Context& ctx, const Field& field);

}  // namespace pagerprog::cli
