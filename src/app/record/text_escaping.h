// Quoting of one value for CSV (RFC 4180) and JSON.
#pragma once

#include <string>
#include <string_view>

namespace pagerprog {

// Quoted, with inner quotes doubled, when the value holds a comma, a quote, CR or LF, or
// starts or ends with a space; as it is otherwise.
std::string csvField(std::string_view value);

// A JSON string literal with its quotes. Control characters are escaped; bytes that do not
// form UTF-8 are taken as Latin-1 characters, so the result is always valid JSON.
std::string jsonString(std::string_view value);

}  // namespace pagerprog
