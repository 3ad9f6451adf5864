#include "app/record/record_format.h"

#include <cstdio>
#include <nlohmann/json.hpp>

#include "app/record/record_time.h"
#include "app/record/text_escaping.h"
#include "app/record/unit_columns.h"

namespace pagerprog {

namespace {

std::string differenceText(const ByteDifference& d) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%03X:%02X:%02X", unsigned(d.address), unsigned(d.expected), unsigned(d.read));
    return text;
}

template <typename T, typename Format>
std::string joined(const std::vector<T>& items, std::string_view separator, Format format) {
    std::string out;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i) out += separator;
        out += format(items[i]);
    }
    return out;
}

std::string lines(const std::vector<std::string>& texts) {
    return joined(texts, "\n", [](const std::string& line) { return line; });
}

// A value as a cell: empty for NULL. `text` says what becomes of a text.
template <typename Text>
std::string cell(const SqlValue& value, Text text) {
    if (const auto* number = std::get_if<std::int64_t>(&value)) return std::to_string(*number);
    if (const auto* string = std::get_if<std::string>(&value)) return text(*string);
    return {};
}

bool flag(const SqlValue& value) { return value != SqlValue(std::int64_t(0)); }

// ---- table

std::vector<const UnitColumn*> tableColumns() {
    std::vector<const UnitColumn*> columns;
    for (const UnitColumn& column : unitColumns()) {
        if (!column.tableHeader.empty()) columns.push_back(&column);
    }
    return columns;
}

std::string enabledCapcodes(const SlotCapcodes& slots) {
    std::string out;
    for (std::size_t i = 0; i < slots.size(); ++i) {
        if (!slots[i].enabled) continue;
        if (!out.empty()) out += ' ';
        out += std::to_string(i + 1) + ':' + std::to_string(slots[i].capcode);
    }
    return out.empty() ? "-" : out;
}

std::string tableCell(const UnitColumn& column, const StoredUnit& s) {
    switch (column.shown) {
        case Shown::Time: return localTime(s.unit.time);
        case Shown::Slots: return enabledCapcodes(s.unit.capcodes);
        default: return cell(column.access.get(s), [](const std::string& text) { return text; });
    }
}

// Characters, not bytes, so that accented names keep the columns straight.
std::size_t shownWidth(std::string_view text) {
    std::size_t width = 0;
    for (char c : text) width += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return width;
}

// A control character in a cell would break the line; it shows as a space.
std::string printable(std::string text) {
    for (char& c : text) {
        if (static_cast<unsigned char>(c) < 0x20) c = ' ';
    }
    return text;
}

// The enabled capcodes in at most `width` characters: whole "slot:capcode" items, then
// "..." for the rest, so that no capcode shows cut short.
std::string cutCapcodes(const std::string& capcodes, std::size_t width) {
    if (shownWidth(capcodes) <= width) return capcodes;
    std::string kept;
    for (std::size_t end = capcodes.find(' '); end != std::string::npos && end + 4 <= width;
         end = capcodes.find(' ', end + 1)) {
        kept = capcodes.substr(0, end + 1);
    }
    return kept + "...";
}

using Rows = std::vector<std::vector<std::string>>;

std::vector<std::size_t> columnWidths(const Rows& rows) {
    std::vector<std::size_t> widths(rows.front().size(), 0);
    for (const auto& row : rows) {
        for (std::size_t c = 0; c < row.size(); ++c) widths[c] = std::max(widths[c], shownWidth(row[c]));
    }
    return widths;
}

// Narrows the capcodes column until the lines fit in `width` characters, down to its header.
void fitCapcodes(Rows& rows, std::size_t width) {
    const auto columns = tableColumns();
    std::size_t capcodes = 0;
    while (columns[capcodes]->shown != Shown::Slots) ++capcodes;
    const std::vector<std::size_t> widths = columnWidths(rows);
    std::size_t lineWidth = 2 * (widths.size() - 1);
    for (std::size_t w : widths) lineWidth += w;
    if (lineWidth <= width) return;
    const std::size_t excess = lineWidth - width;
    const std::size_t least = shownWidth(rows.front()[capcodes]);
    const std::size_t fitted = std::max(least, widths[capcodes] > excess ? widths[capcodes] - excess : 0);
    for (std::size_t r = 1; r < rows.size(); ++r) rows[r][capcodes] = cutCapcodes(rows[r][capcodes], fitted);
}

std::string table(const std::vector<StoredUnit>& units, std::optional<std::size_t> width) {
    Rows rows = recordTable(units);
    for (auto& row : rows) {
        for (std::string& text : row) text = printable(std::move(text));
    }
    if (width) fitCapcodes(rows, *width);
    return alignedTable(rows);
}

// ---- CSV

std::vector<std::string> csvHeader() {
    std::vector<std::string> header;
    for (const UnitColumn& column : unitColumns()) {
        if (column.shown != Shown::Slots) {
            header.emplace_back(column.key);
            continue;
        }
        for (int slot = 1; slot <= kRecordSlots; ++slot) {
            header.push_back(std::string(unit_key::capcode) + std::to_string(slot));
            header.push_back(std::string(unit_key::enabled) + std::to_string(slot));
        }
    }
    return header;
}

std::vector<std::string> csvValues(const StoredUnit& s) {
    const UnitRecord& u = s.unit;
    std::vector<std::string> values;
    for (const UnitColumn& column : unitColumns()) {
        switch (column.shown) {
            case Shown::Value:
            case Shown::Time: values.push_back(cell(column.access.get(s), spreadsheetText)); break;
            case Shown::Flag: values.push_back(flag(column.access.get(s)) ? "1" : "0"); break;
            case Shown::Slots:
                for (const SlotCapcode& slot : u.capcodes) {
                    values.push_back(std::to_string(slot.capcode));
                    values.push_back(slot.enabled ? "1" : "0");
                }
                break;
            case Shown::Differences: values.push_back(joined(u.differences, " ", differenceText)); break;
            case Shown::Lines: values.push_back(spreadsheetText(lines(u.statusLog))); break;
        }
    }
    return values;
}

std::string csvLine(const std::vector<std::string>& values) {
    return joined(values, ",", [](const std::string& value) { return csvField(value); }) + "\r\n";
}

std::string csv(const std::vector<StoredUnit>& units) {
    std::string out = csvLine(csvHeader());
    for (const StoredUnit& unit : units) out += csvLine(csvValues(unit));
    return out;
}

// ---- JSON

Json jsonValue(const SqlValue& value) {
    if (const auto* number = std::get_if<std::int64_t>(&value)) return *number;
    if (const auto* text = std::get_if<std::string>(&value)) return jsonText(*text);
    return nullptr;
}

}  // namespace

Json unitJson(const StoredUnit& s) {
    const UnitRecord& u = s.unit;
    Json object = Json::object();
    for (const UnitColumn& column : unitColumns()) {
        Json& value = object[std::string(column.key)];
        switch (column.shown) {
            case Shown::Value:
            case Shown::Time: value = jsonValue(column.access.get(s)); break;
            case Shown::Flag: value = flag(column.access.get(s)); break;
            case Shown::Slots:
                value = Json::array();
                for (std::size_t i = 0; i < u.capcodes.size(); ++i) {
                    value.push_back({{unit_key::slot, i + 1},
                                     {unit_key::capcode, u.capcodes[i].capcode},
                                     {unit_key::enabled, u.capcodes[i].enabled}});
                }
                break;
            case Shown::Differences: value = differencesJson(u.differences); break;
            case Shown::Lines:
                value = Json::array();
                for (const std::string& line : u.statusLog) value.push_back(jsonText(line));
                break;
        }
    }
    return object;
}

namespace {

std::string json(const std::vector<StoredUnit>& units) {
    Json array = Json::array();
    for (const StoredUnit& unit : units) array.push_back(unitJson(unit));
    return jsonLines(array, JsonSpacing::Compact) + "\n";
}

}  // namespace

std::optional<RecordFormat> recordFormatFromName(std::string_view name) {
    if (name == "table") return RecordFormat::Table;
    if (name == "csv") return RecordFormat::Csv;
    if (name == "json") return RecordFormat::Json;
    return std::nullopt;
}

std::vector<std::vector<std::string>> recordTable(const std::vector<StoredUnit>& units) {
    const auto columns = tableColumns();
    Rows rows(1);
    for (const UnitColumn* column : columns) rows.front().emplace_back(column->tableHeader);
    for (const StoredUnit& s : units) {
        auto& row = rows.emplace_back();
        for (const UnitColumn* column : columns) row.push_back(tableCell(*column, s));
    }
    return rows;
}

std::string alignedTable(const std::vector<std::vector<std::string>>& cells) {
    Rows rows = cells;
    for (auto& row : rows) {
        for (std::string& text : row) text = printable(std::move(text));
    }
    const std::vector<std::size_t> widths = columnWidths(rows);
    std::string out;
    for (const auto& row : rows) {
        std::string line;
        for (std::size_t c = 0; c < row.size(); ++c) {
            if (c) line += "  ";
            line += row[c];
            line.append(widths[c] - shownWidth(row[c]), ' ');
        }
        while (!line.empty() && line.back() == ' ') line.pop_back();
        out += line + '\n';
    }
    return out;
}

Json differencesJson(const std::vector<ByteDifference>& differences) {
    Json array = Json::array();
    for (const ByteDifference& d : differences) {
        array.push_back({{unit_key::address, d.address}, {unit_key::expected, d.expected}, {unit_key::read, d.read}});
    }
    return array;
}

std::string formatRecord(const std::vector<StoredUnit>& units, RecordFormat format, std::optional<std::size_t> width) {
    switch (format) {
        case RecordFormat::Table: return table(units, width);
        case RecordFormat::Csv: return csv(units);
        case RecordFormat::Json: return json(units);
    }
    return {};
}

}  // namespace pagerprog
