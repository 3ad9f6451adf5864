#include "app/production/capcode_rows.h"

#include <csv.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <stdexcept>

#include "app/production/unit_serial.h"
#include "app/record/sha256.h"
#include "host/plural.h"
#include "settings/field_names.h"

namespace pagerprog {

namespace {

// The cells of every line that has any, as libcsv hands them over, numbered as a
// spreadsheet numbers its rows. libcsv reports every line end (CSV_REPALL_NL), so a blank
// line counts; the line feed of a CR LF pair ends no line of its own.
struct Lines {
    struct Line {
        std::vector<std::string> cells;
        int sheetRow;
    };
    std::vector<Line> lines;
    std::vector<std::string> current;
    int sheetRows = 0;
    int lastEnd = 0;

    static void cell(void* text, std::size_t length, void* self) {
        static_cast<Lines*>(self)->current.emplace_back(static_cast<const char*>(text), length);
    }
    static void lineEnd(int end, void* self) {
        auto& lines = *static_cast<Lines*>(self);
        const bool blank = lines.current.empty();
        const bool crLf = blank && end == '\n' && lines.lastEnd == '\r';
        lines.lastEnd = end;
        if (crLf) return;
        ++lines.sheetRows;
        if (!blank) lines.lines.push_back({std::move(lines.current), lines.sheetRows});
        lines.current.clear();
    }
};

// The separator the header line uses: the first comma, semicolon or tab in it.
unsigned char separatorOf(const std::string& text) {
    const std::size_t headerEnd = std::min(text.find_first_of("\r\n"), text.size());
    const std::size_t separator = text.find_first_of(",;\t");
    return separator < headerEnd ? static_cast<unsigned char>(text[separator]) : ',';
}

std::runtime_error fault(const std::string& path, const std::string& what) {
    return std::runtime_error("the capcode file " + path + " " + what);
}

std::string counted(std::size_t count, std::string_view noun) { return plural(static_cast<long long>(count), noun); }

constexpr const char* kSerialColumn = "serial";
constexpr int kSerialSlot = field::kAddressSlots + 1;

// The address slot a header cell names, 1 to 8, or kSerialSlot for the serials.
int slotOf(const std::string& name) {
    for (int slot = 1; slot <= field::kAddressSlots; ++slot)
        if (name == field::address(slot)) return slot;
    return name == kSerialColumn ? kSerialSlot : 0;
}

// The whole file, at most kLargestFile bytes: a day's capcodes are a few hundred kilobytes.
std::string fileText(const std::string& path) {
    constexpr std::size_t kLargestFile = 16 * 1024 * 1024;
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) throw fault(path, "is a folder, not a file");
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) throw fault(path, std::string("cannot be read: ") + std::strerror(errno));
    std::string text;
    char chunk[65536];
    std::size_t length = 0;
    while (text.size() <= kLargestFile && (length = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        text.append(chunk, length);
    const bool failed = std::ferror(file) != 0;
    const int reason = errno;
    std::fclose(file);
    if (failed) throw fault(path, std::string("cannot be read: ") + std::strerror(reason));
    if (text.size() > kLargestFile) throw fault(path, "is larger than 16 MB, too large for a capcode file");
    // A spreadsheet's "CSV UTF-8" starts with a byte order mark.
    if (text.starts_with("\xEF\xBB\xBF")) text.erase(0, 3);
    return text;
}

}  // namespace

CapcodeFile readCapcodeFile(const std::string& path) {
    const std::string text = fileText(path);
    csv_parser parser;
    if (csv_init(&parser, CSV_STRICT | CSV_STRICT_FINI | CSV_REPALL_NL) != 0) throw fault(path, "cannot be read");
    csv_set_delim(&parser, separatorOf(text));
    Lines lines;
    const bool parsed =
        csv_parse(&parser, text.data(), text.size(), Lines::cell, Lines::lineEnd, &lines) == text.size() &&
        csv_fini(&parser, Lines::cell, Lines::lineEnd, &lines) == 0;
    const std::string error = csv_strerror(csv_error(&parser));
    csv_free(&parser);
    if (!parsed) throw fault(path, "is no CSV file: " + error);
    if (lines.lines.empty()) throw fault(path, "has no header naming the address columns");

    const std::vector<std::string>& header = lines.lines.front().cells;
    std::vector<int> slots;
    for (const std::string& name : header) {
        const int slot = slotOf(name);
        if (slot == 0)
            throw fault(path, "has a column \"" + name + "\"; only address1 to address8 and serial are taken");
        for (int seen : slots)
            if (seen == slot) throw fault(path, "names the column " + name + " twice");
        slots.push_back(slot);
    }
    std::vector<CapcodeRow> rows;
    for (std::size_t line = 1; line < lines.lines.size(); ++line) {
        const auto& [cells, sheetRow] = lines.lines[line];
        if (cells.size() != slots.size()) {
            throw fault(path, "has " + counted(cells.size(), "cell") + " in row " + std::to_string(sheetRow) +
                                  ", where the header names " + counted(slots.size(), "column"));
        }
        CapcodeRow row;
        row.number = static_cast<int>(line);
        row.sheetRow = sheetRow;
        for (std::size_t i = 0; i < cells.size(); ++i) {
            if (cells[i].empty()) continue;
            if (slots[i] != kSerialSlot) {
                row.addresses[static_cast<std::size_t>(slots[i] - 1)] = cells[i];
                continue;
            }
            const CheckedText serial = checkedSerial(cells[i]);
            if (!serial.taken()) throw fault(path, "row " + std::to_string(sheetRow) + ": " + serial.refusal);
            if (!serial.text.empty()) row.serial = serial.text;
        }
        rows.push_back(std::move(row));
    }
    if (rows.empty()) throw fault(path, "has no rows of capcodes");
    std::vector<std::string> serials;
    for (const CapcodeRow& row : rows) serials.push_back(row.serial.value_or(""));
    if (const auto repeat = repeatedSerial(serials))
        throw fault(path, "gives the serial " + repeat->serial + " to rows " +
                              std::to_string(rows[repeat->first].sheetRow) + " and " +
                              std::to_string(rows[repeat->second].sheetRow));
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    return {std::move(rows), sha256Hex({bytes, text.size()})};
}

}  // namespace pagerprog
