#include "app/record/record_format.h"

#include <cstdio>
#include <functional>

#include "app/record/text_escaping.h"

namespace pagerprog {

namespace {

std::string optionalNumber(const std::optional<std::int64_t>& value) {
    return value ? std::to_string(*value) : std::string();
}
std::string optionalNumber(const std::optional<int>& value) { return value ? std::to_string(*value) : std::string(); }

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

// ---- table

std::string enabledCapcodes(const SlotCapcodes& slots) {
    std::string out;
    for (std::size_t i = 0; i < slots.size(); ++i) {
        if (!slots[i].enabled) continue;
        if (!out.empty()) out += ' ';
        out += std::to_string(i + 1) + ':' + std::to_string(slots[i].capcode);
    }
    return out.empty() ? "-" : out;
}

// Characters, not bytes, so that accented names keep the columns straight.
std::size_t shownWidth(std::string_view text) {
    std::size_t width = 0;
    for (char c : text) width += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return width;
}

// A control character in a cell would break the line; it shows as a space.
std::string tableCell(std::string text) {
    for (char& c : text) {
        if (static_cast<unsigned char>(c) < 0x20) c = ' ';
    }
    return text;
}

std::string table(const std::vector<StoredUnit>& units) {
    using Row = std::vector<std::string>;
    std::vector<Row> rows = recordTable(units);
    std::vector<std::size_t> widths(rows.front().size(), 0);
    for (Row& row : rows) {
        for (std::size_t c = 0; c < row.size(); ++c) {
            row[c] = tableCell(std::move(row[c]));
            widths[c] = std::max(widths[c], shownWidth(row[c]));
        }
    }
    std::string out;
    for (const Row& row : rows) {
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

// ---- CSV

std::vector<std::string> csvHeader() {
    std::vector<std::string> header{"id", "time", "operation", "outcome", "batch", "unit", "csv_row"};
    for (int slot = 1; slot <= kRecordSlots; ++slot) {
        header.push_back("capcode" + std::to_string(slot));
        header.push_back("enabled" + std::to_string(slot));
    }
    for (const char* name :
         {"frequency", "customer", "revision", "port", "vid_pid", "settings_path", "settings_sha256", "image_sha256",
          "user", "host", "program_version", "duration_ms", "differences", "status_log", "previous_image_kept"}) {
        header.push_back(name);
    }
    return header;
}

std::vector<std::string> csvValues(const StoredUnit& s) {
    const UnitRecord& u = s.unit;
    std::vector<std::string> values{std::to_string(s.id),
                                    u.time,
                                    std::string(operationName(u.operation)),
                                    u.outcome,
                                    optionalNumber(u.batchId),
                                    optionalNumber(u.unitNumber),
                                    optionalNumber(u.csvRow)};
    for (const SlotCapcode& slot : u.capcodes) {
        values.push_back(std::to_string(slot.capcode));
        values.push_back(slot.enabled ? "1" : "0");
    }
    values.insert(
        values.end(),
        {u.frequency, u.customer, u.revision, u.port, u.vidPid, u.settingsPath, u.settingsSha256, u.imageSha256, u.user,
         u.host, u.programVersion, std::to_string(u.durationMs), joined(u.differences, " ", differenceText),
         joined(u.statusLog, "\n", [](const std::string& line) { return line; }), s.previousImageKept ? "1" : "0"});
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

std::string jsonNumber(const std::optional<std::int64_t>& value) { return value ? std::to_string(*value) : "null"; }
std::string jsonNumber(const std::optional<int>& value) { return value ? std::to_string(*value) : "null"; }

std::string jsonObject(const StoredUnit& s) {
    const UnitRecord& u = s.unit;
    std::vector<std::string> slots;
    for (std::size_t i = 0; i < u.capcodes.size(); ++i) {
        slots.push_back("{\"slot\":" + std::to_string(i + 1) + ",\"capcode\":" + std::to_string(u.capcodes[i].capcode) +
                        ",\"enabled\":" + (u.capcodes[i].enabled ? "true" : "false") + "}");
    }
    auto text = [](const std::string& value) { return jsonString(value); };
    auto verbatim = [](const std::string& value) { return value; };
    auto field = [](const char* name, const std::string& value) { return jsonString(name) + ":" + value; };
    const std::vector<std::string> fields{
        field("id", std::to_string(s.id)),
        field("time", text(u.time)),
        field("operation", jsonString(operationName(u.operation))),
        field("outcome", text(u.outcome)),
        field("batch", jsonNumber(u.batchId)),
        field("unit", jsonNumber(u.unitNumber)),
        field("csv_row", jsonNumber(u.csvRow)),
        field("slots", "[" + joined(slots, ",", verbatim) + "]"),
        field("frequency", text(u.frequency)),
        field("customer", text(u.customer)),
        field("revision", text(u.revision)),
        field("port", text(u.port)),
        field("vid_pid", text(u.vidPid)),
        field("settings_path", text(u.settingsPath)),
        field("settings_sha256", text(u.settingsSha256)),
        field("image_sha256", text(u.imageSha256)),
        field("user", text(u.user)),
        field("host", text(u.host)),
        field("program_version", text(u.programVersion)),
        field("duration_ms", std::to_string(u.durationMs)),
        field("differences", "[" +
                                 joined(u.differences, ",",
                                        [](const ByteDifference& d) {
                                            return "{\"address\":" + std::to_string(d.address) +
                                                   ",\"expected\":" + std::to_string(d.expected) +
                                                   ",\"read\":" + std::to_string(d.read) + "}";
                                        }) +
                                 "]"),
        field("status_log", "[" + joined(u.statusLog, ",", text) + "]"),
        field("previous_image_kept", s.previousImageKept ? "true" : "false"),
    };
    return "{" + joined(fields, ",", verbatim) + "}";
}

std::string json(const std::vector<StoredUnit>& units) {
    if (units.empty()) return "[]\n";
    return "[\n  " + joined(units, ",\n  ", jsonObject) + "\n]\n";
}

}  // namespace

std::optional<RecordFormat> recordFormatFromName(std::string_view name) {
    if (name == "table") return RecordFormat::Table;
    if (name == "csv") return RecordFormat::Csv;
    if (name == "json") return RecordFormat::Json;
    return std::nullopt;
}

std::vector<std::vector<std::string>> recordTable(const std::vector<StoredUnit>& units) {
    std::vector<std::vector<std::string>> rows{{"id", "time", "operation", "outcome", "batch", "unit", "capcodes",
                                                "frequency", "customer", "revision", "port", "ms"}};
    for (const StoredUnit& s : units) {
        const UnitRecord& u = s.unit;
        rows.push_back({std::to_string(s.id), u.time, std::string(operationName(u.operation)), u.outcome,
                        optionalNumber(u.batchId), optionalNumber(u.unitNumber), enabledCapcodes(u.capcodes),
                        u.frequency, u.customer, u.revision, u.port, std::to_string(u.durationMs)});
    }
    return rows;
}

std::string formatRecord(const std::vector<StoredUnit>& units, RecordFormat format) {
    switch (format) {
        case RecordFormat::Table: return table(units);
        case RecordFormat::Csv: return csv(units);
        case RecordFormat::Json: return json(units);
    }
    return {};
}

}  // namespace pagerprog
