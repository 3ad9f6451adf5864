#include "app/production/production_log.h"

#include <charconv>
#include <cstdio>

#include "app/production/production.h"
#include "app/production/unit_serial.h"
#include "app/record/record_error.h"
#include "app/record/record_format.h"
#include "app/record/sha256.h"

namespace pagerprog {

bool ProductionLog::filterByCapcode(const std::string& text) {
    if (text.empty()) {
        capcode_.reset();
        return true;
    }
    std::uint32_t capcode = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), capcode);
    if (ec != std::errc() || end != text.data() + text.size()) return false;
    capcode_ = capcode;
    return true;
}

bool ProductionLog::filterBySerial(const std::string& text) {
    const CheckedText serial = checkedSerial(text);
    if (!serial.taken()) return false;
    serial_ = serial.text.empty() ? std::nullopt : std::optional(serial.text);
    return true;
}

// Reads the units and hands them to `format`; a record that cannot be read gives what
// `format` makes of no units, with the reason in problem().
template <typename Format>
auto ProductionLog::units(Format format) {
    std::vector<StoredUnit> found;
    problem_.clear();
    if (ProductionRecord* record = production_.record()) {
        try {
            found = record->find({.capcode = capcode_, .serial = serial_, .limit = kShownUnits});
        } catch (const RecordError& error) {
            problem_ = error.what();
        }
    } else {
        problem_ = production_.problem().empty() ? "no production record is open" : production_.problem();
    }
    return format(found);
}

std::vector<std::vector<std::string>> ProductionLog::rows() { return units(recordTable); }

std::string ProductionLog::csv() {
    return units([](const std::vector<StoredUnit>& found) { return formatRecord(found, RecordFormat::Csv); });
}

template <typename Read>
auto ProductionLog::fromRecord(Read read) -> decltype(read(std::declval<ProductionRecord&>())) {
    ProductionRecord* record = production_.record();
    if (record == nullptr) return std::nullopt;
    try {
        return read(*record);
    } catch (const RecordError& error) {
        problem_ = error.what();
        return std::nullopt;
    }
}

std::vector<std::vector<std::string>> ProductionLog::summary(ReportGrouping by) {
    const auto writes = fromRecord(
        [](ProductionRecord& record) { return std::optional(record.find({.operation = Operation::Write})); });
    return yieldTable(yieldReport(writes.value_or(std::vector<StoredUnit>{}), by));
}

std::optional<Image> ProductionLog::previousImage(std::int64_t id) {
    return fromRecord([id](ProductionRecord& record) { return record.previousImage(id); });
}

std::optional<std::string> ProductionLog::details(std::int64_t id) {
    const auto stored = fromRecord([id](ProductionRecord& record) { return record.unit(id); });
    if (!stored) return std::nullopt;
    const UnitRecord& u = stored->unit;
    const auto table = recordTable({*stored});
    std::string text;
    for (std::size_t c = 0; c < table.front().size(); ++c) text += table[0][c] + ": " + table[1][c] + '\n';
    const std::pair<const char*, std::string> more[] = {{"csv row", u.csvRow ? std::to_string(*u.csvRow) : ""},
                                                        {"operator", u.operatorName},
                                                        {"post-unit hook", u.hook},
                                                        {"programmer", u.vidPid},
                                                        {"settings file", u.settingsPath},
                                                        {"settings SHA-256", u.settingsSha256},
                                                        {"image SHA-256", u.imageSha256},
                                                        {"user", u.user + (u.host.empty() ? "" : "@" + u.host)},
                                                        {"program version", u.programVersion}};
    for (const auto& [name, value] : more) {
        if (!value.empty()) text += std::string(name) + ": " + value + '\n';
    }
    text += "\nstatus log:\n";
    for (const std::string& line : u.statusLog) text += "  " + line + '\n';
    text +=
        "\ndiffering bytes: " + (u.differences.empty() ? std::string("none") : std::to_string(u.differences.size())) +
        '\n';
    for (const ByteDifference& d : u.differences) {
        char line[64];
        std::snprintf(line, sizeof line, "  0x%03X: written 0x%02X, read 0x%02X\n", unsigned(d.address),
                      unsigned(d.expected), unsigned(d.read));
        text += line;
    }
    const auto previous = stored->previousImageKept ? previousImage(id) : std::nullopt;
    text += "\nprevious image SHA-256: " + (previous ? sha256Hex(*previous) : std::string("none kept")) + '\n';
    return text;
}

}  // namespace pagerprog
