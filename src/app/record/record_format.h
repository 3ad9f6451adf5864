// The production record as text: an aligned table for a terminal, CSV (RFC 4180) for a
// spreadsheet and JSON for other programs. The log command and the window's production
// log export both print through here.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/record/json_text.h"
#include "app/record/record_types.h"

namespace pagerprog {

enum class RecordFormat { Table, Csv, Json };

// "table", "csv" or "json".
std::optional<RecordFormat> recordFormatFromName(std::string_view name);

// Table: one line a unit with its local time to the second and its enabled capcodes
// ("slot:capcode"), no status log. Given a width, the capcodes column is cut to whole
// capcodes and "..." until the lines fit (never narrower than its header).
// CSV: a header line, then every column of every unit; lines end in CRLF, the status log's
// lines are joined by LF inside their field, each difference reads ADDRESS:EXPECTED:READ
// in hex ("0x" and three digits for the address), separated by spaces. A text a
// spreadsheet would take for a formula starts with ' (see spreadsheetText).
// JSON: an array of objects with every column, the slots, status log and differences as
// arrays; bytes that are not UTF-8 are taken as Latin-1 so that the text stays valid.
// Times are UTC in CSV and JSON.
std::string formatRecord(const std::vector<StoredUnit>& units, RecordFormat format,
                         std::optional<std::size_t> width = std::nullopt);

// The table's cells, the header first: the window's production log shows the same columns.
std::vector<std::vector<std::string>> recordTable(const std::vector<StoredUnit>& units);

// Cells as the terminal table shows them: columns two spaces apart, each as wide as its
// widest cell (in characters), control characters as spaces, no blanks at line ends. The
// first line is the header.
std::string alignedTable(const std::vector<std::vector<std::string>>& cells);

// One unit as an object of the JSON form.
Json unitJson(const StoredUnit& unit);

// Differing bytes as the record's JSON gives them: [{"address":..,"expected":..,"read":..}].
Json differencesJson(const std::vector<ByteDifference>& differences);

}  // namespace pagerprog
