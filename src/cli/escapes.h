// The one text form of a value on the command line, both ways: `show` writes it and the
// FIELD=VALUE edits read it, so that any line `show` prints can be given back as an edit.
#pragma once

#include <string>

namespace pagerprog::cli {

// A byte outside 0x20 to 0x7E as \xHH and a backslash as \\, so that a text holding a
// line break cannot forge another line.
std::string escaped(const std::string& text);

// The reverse: \\ is one backslash and \xHH the byte HH (either case); a backslash before
// anything else stays a backslash, as edits took it before they read escapes.
std::string unescaped(const std::string& text);

}  // namespace pagerprog::cli
