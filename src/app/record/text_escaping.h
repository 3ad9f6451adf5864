// Quoting of one value for CSV (RFC 4180) and a spreadsheet.
#pragma once

#include <string>
#include <string_view>

namespace pagerprog {

// Quoted, with inner quotes doubled, when the value holds a comma, a quote, CR or LF, or
// starts or ends with a space; as it is otherwise.
std::string csvField(std::string_view value);

// A text for a spreadsheet cell: one that a spreadsheet would take for a formula (it
// starts with =, +, -, @, a tab or CR) gets a ' in front, so that it shows as the text it is.
std::string spreadsheetText(std::string_view text);

}  // namespace pagerprog
