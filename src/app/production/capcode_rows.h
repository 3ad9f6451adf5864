// The capcodes of a batch read from a CSV file, one row a pager: a header naming columns
// address1 to address8 (any of them, in any order) and, where the pagers' serials are
// known beforehand, serial; then one row per pager. The header
// tells the separator: a comma, a semicolon (what spreadsheets write where the comma is the
// decimal mark) or a tab. An empty cell keeps what the field holds; a blank line is no
// row. Reading checks the shape of the file; the address rules check the values when a
// row is applied.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace pagerprog {

struct CapcodeRow {
    int number = 0;    // 1 for the first row after the header: the record keeps it
    int sheetRow = 0;  // the row as a spreadsheet numbers it (the header is 1, a blank line counts)
    std::array<std::optional<std::string>, 8> addresses;
    std::optional<std::string> serial;  // from the serial column, when the cell has one
};

struct CapcodeFile {
    std::vector<CapcodeRow> rows;
    std::string sha256;  // of its text, so that a batch knows whether the file changed
};

// Throws std::runtime_error naming the file, the row as a spreadsheet numbers it and the
// fault: a file that cannot be read, no header, a column that is no address slot or is
// named twice, a row with more or fewer cells than the header, a file without rows, a
// serial refused (see unit_serial.h) or given to two rows.
CapcodeFile readCapcodeFile(const std::string& path);

}  // namespace pagerprog
