// The record as text: CSV and JSON quoting of awkward status-log lines, the three output
// formats, and the UTC times that must sort and filter as text.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <nlohmann/json.hpp>
#include <random>
#include <regex>
#include <string>
#include <vector>

#include "app/record/json_text.h"
#include "app/record/record_format.h"
#include "app/record/record_time.h"
#include "app/record/text_escaping.h"
#include "support/record_fixture.h"

namespace pagerprog {
namespace {

std::string jsonString(std::string_view text) { return jsonLine(jsonText(text), JsonSpacing::Compact); }

using namespace std::string_literals;

// RFC 4180 read back: records of fields, quotes doubled inside quoted fields, CRLF ends a
// record. Fails the test on anything the writer must never produce.
std::vector<std::vector<std::string>> parseCsv(const std::string& text) {
    std::vector<std::vector<std::string>> records(1, std::vector<std::string>(1));
    for (std::size_t at = 0; at < text.size();) {
        auto& field = records.back().back();
        if (text[at] == '"' && field.empty()) {
            for (++at;; ++at) {
                if (at >= text.size()) {
                    ADD_FAILURE() << "unterminated quoted field";
                    return records;
                }
                if (text[at] == '"' && (at + 1 >= text.size() || text[at + 1] != '"')) break;
                if (text[at] == '"') ++at;
                field += text[at];
            }
            ++at;
        } else if (text.compare(at, 2, "\r\n") == 0) {
            records.emplace_back(1);
            at += 2;
        } else if (text[at] == ',') {
            records.back().emplace_back();
            ++at;
        } else {
            EXPECT_NE(text[at], '"') << "a quote inside an unquoted field";
            EXPECT_NE(text[at], '\n') << "a bare LF outside a quoted field";
            field += text[at++];
        }
    }
    EXPECT_EQ(records.back(), std::vector<std::string>(1)) << "the last record ends in CRLF";
    records.pop_back();
    return records;
}

const std::vector<std::string> kAwkwardLog = {"Verify \"OK\" !", "a, b; c",   "two\nlines", "cr\rhere",
                                              " padded ",        "tab\there", "nul\0byte"s, "Caf\xc3\xa9 and Caf\xe9"};

std::vector<StoredUnit> awkwardUnits() {
    StoredUnit first{7, testing::sampleUnit(1), true};
    first.unit.statusLog = kAwkwardLog;
    first.unit.outcome = std::string(outcome::verifyFailed);
    first.unit.differences = {{0x000, 0x12, 0x13}, {0x7FF, 0xFF, 0x00}};
    first.unit.settingsPath = "/home/tech/batch, \"final\".eep";
    StoredUnit second{8, testing::sampleUnit(2, 2000000, std::nullopt), false};
    second.unit.operation = Operation::Read;
    second.unit.statusLog.clear();
    return {first, second};
}

TEST(CsvField, QuotesOnlyWhatNeedsIt) {
    const std::pair<std::string, std::string> cases[] = {
        {"plain", "plain"},
        {"", ""},
        {"a,b", "\"a,b\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\""},
        {"two\nlines", "\"two\nlines\""},
        {"cr\rhere", "\"cr\rhere\""},
        {" lead", "\" lead\""},
        {"trail ", "\"trail \""},
        {"in side", "in side"},
    };
    for (const auto& [value, field] : cases) EXPECT_EQ(csvField(value), field) << value;
}

TEST(JsonString, EscapesControlsAndKeepsItValid) {
    const std::pair<std::string, std::string> cases[] = {
        {"plain", R"("plain")"},
        {"q\"b\\s/", R"("q\"b\\s/")"},
        {"\n\r\t\b\f", R"("\n\r\t\b\f")"},
        {"\x01\x1f\x7f", "\"\\u0001\\u001f\x7f\""},
        {"nul\0x"s, R"("nul\u0000x")"},
        {"Caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80", "\"Caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80\""},
        {"Caf\xe9", R"("Caf\u00e9")"},                          // Latin-1
        {"cut \xe2\x82", R"("cut \u00e2\u0082")"},              // a sequence cut short
        {"\xc0\xaf", R"("\u00c0\u00af")"},                      // an overlong '/'
        {"\xed\xa0\x80", R"("\u00ed\u00a0\u0080")"},            // a surrogate
        {"\xf4\x90\x80\x80", R"("\u00f4\u0090\u0080\u0080")"},  // past U+10FFFF
    };
    for (const auto& [value, literal] : cases) EXPECT_EQ(jsonString(value), literal) << value;
}

TEST(RecordFormat, CsvReadsBackFieldForField) {
    const auto units = awkwardUnits();
    const auto records = parseCsv(formatRecord(units, RecordFormat::Csv));
    ASSERT_EQ(records.size(), 3u);
    const auto& header = records[0];
    for (const auto& record : records) ASSERT_EQ(record.size(), header.size());
    auto column = [&](std::size_t row, const std::string& name) {
        const auto at = std::find(header.begin(), header.end(), name);
        EXPECT_NE(at, header.end()) << name;
        return records[row][static_cast<std::size_t>(at - header.begin())];
    };
    std::string log;
    for (const auto& line : kAwkwardLog) log += (log.empty() ? "" : "\n") + line;
    EXPECT_EQ(column(1, "status_log"), log);
    EXPECT_EQ(column(1, "id"), "7");
    EXPECT_EQ(column(1, "settings_path"), "/home/tech/batch, \"final\".eep");
    EXPECT_EQ(column(1, "differences"), "0x000:12:13 0x7FF:FF:00");
    EXPECT_EQ(column(1, "capcode2"), "1234568");
    EXPECT_EQ(column(1, "enabled2"), "0");
    EXPECT_EQ(column(1, "previous_image_kept"), "1");
    EXPECT_EQ(column(2, "operation"), "read");
    EXPECT_EQ(column(2, "batch"), "");
    EXPECT_EQ(column(2, "status_log"), "");
}

TEST(RecordFormat, JsonCarriesEveryColumnEscaped) {
    const std::string json = formatRecord(awkwardUnits(), RecordFormat::Json);
    EXPECT_EQ(json.substr(0, 4), "[\n  ");
    EXPECT_EQ(json.substr(json.size() - 4), "}\n]\n");
    for (
        const std::string_view part : {
            R"("status_log":["Verify \"OK\" !","a, b; c","two\nlines","cr\rhere"," padded ","tab\there","nul\u0000byte","Caf)"
            "\xc3\xa9"
            R"( and Caf\u00e9"])",
            R"("differences":[{"address":0,"expected":18,"read":19},{"address":2047,"expected":255,"read":0}])",
            R"("slots":[{"slot":1,"capcode":1234560,"enabled":true},{"slot":2,"capcode":1234568,"enabled":false},)",
            R"("id":7,"time":"2026-12-08T09:30:01.123Z","operation":"write","outcome":"verify-failed","batch":1,"unit":1,"csv_row":null)",
            R"("settings_path":"/home/tech/batch, \"final\".eep")",
            R"("previous_image_kept":true})",
            R"("operation":"read","outcome":"ok","batch":null,"unit":null)",
            R"("status_log":[],"previous_image_kept":false})",
        }) {
        EXPECT_NE(json.find(part), std::string::npos) << part;
    }
    for (char c : json) EXPECT_TRUE(c == '\n' || static_cast<unsigned char>(c) >= 0x20) << "a raw control character";
    EXPECT_EQ(formatRecord({}, RecordFormat::Json), "[]\n");
}

TEST(RecordFormat, TableLinesUpItsColumns) {
    auto units = awkwardUnits();
    units[1].unit.customer = "Caf\xc3\xa9\nline";
    const std::string table = formatRecord(units, RecordFormat::Table);
    std::vector<std::string> lines;
    for (std::size_t at = 0, end; (end = table.find('\n', at)) != std::string::npos; at = end + 1) {
        lines.push_back(table.substr(at, end - at));
    }
    ASSERT_EQ(lines.size(), 3u) << table;
    EXPECT_EQ(lines[0].rfind("id  time", 0), 0u);
    EXPECT_NE(lines[1].find("1:1234560 3:1234576 5:1234592 7:1234608"), std::string::npos);
    EXPECT_NE(lines[2].find("Caf\xc3\xa9 line"), std::string::npos) << "a newline in a cell shows as a space";
    // Every column begins at the same character on every line; "port" comes after the
    // accented customer, so a byte count would push it one place right.
    auto characterAt = [](const std::string& line, const std::string& word) {
        const std::string before = line.substr(0, line.find(word));
        return std::count_if(before.begin(), before.end(), [](char c) { return (c & 0xC0) != 0x80; });
    };
    EXPECT_EQ(characterAt(lines[1], "/dev/hidraw2"), characterAt(lines[0], "port"));
    EXPECT_EQ(characterAt(lines[2], "/dev/hidraw2"), characterAt(lines[0], "port"));
    EXPECT_EQ(formatRecord({}, RecordFormat::Table).find('\n'), formatRecord({}, RecordFormat::Table).size() - 1);
}

std::string column(const std::vector<std::vector<std::string>>& records, std::size_t row, const std::string& name) {
    const auto& header = records.front();
    const auto at = std::find(header.begin(), header.end(), name);
    EXPECT_NE(at, header.end()) << name;
    return at == header.end() ? "" : records.at(row).at(static_cast<std::size_t>(at - header.begin()));
}

// Fails when a text a spreadsheet would run as a formula reaches the CSV as it is.
TEST(RecordFormat, CsvTextsAreNeverFormulas) {
    const std::pair<std::string, std::string> cases[] = {
        {"=HYPERLINK(\"http://x\")", "'=HYPERLINK(\"http://x\")"},
        {"+1", "'+1"},
        {"-2+3", "'-2+3"},
        {"@SUM(A1)", "'@SUM(A1)"},
        {"\tx", "'\tx"},
        {"\rx", "'\rx"},
        {"a=b", "a=b"},
        {"", ""},
    };
    for (const auto& [text, cell] : cases) {
        StoredUnit unit{7, testing::sampleUnit(1), false};
        unit.unit.customer = text;
        unit.unit.statusLog = {text, "=second"};
        const auto records = parseCsv(formatRecord({unit}, RecordFormat::Csv));
        ASSERT_EQ(records.size(), 2u);
        EXPECT_EQ(column(records, 1, "customer"), cell);
        EXPECT_EQ(column(records, 1, "status_log"), cell + "\n=second");
        const std::pair<const char*, const char*> untouched[] = {
            {"id", "7"}, {"capcode1", "1234560"}, {"duration_ms", "4201"}, {"batch", "1"}, {"csv_row", ""}};
        for (const auto& [name, value] : untouched) EXPECT_EQ(column(records, 1, name), value) << name;
        EXPECT_NE(formatRecord({unit}, RecordFormat::Json).find("\"customer\":" + jsonString(text) + ","),
                  std::string::npos)
            << "JSON keeps the text";
    }
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    for (std::size_t at = 0, end; (end = text.find('\n', at)) != std::string::npos; at = end + 1) {
        lines.push_back(text.substr(at, end - at));
    }
    return lines;
}

// The table in a terminal: the machine's local time, and lines that fit its width with the
// capcodes cut to whole items.
TEST(RecordFormat, TableShowsLocalTimeAndFitsTheTerminal) {
    const char* zone = std::getenv("TZ");
    const std::string savedZone = zone ? zone : "";
    setenv("TZ", "EET-2", 1);  // two hours east of UTC all year
    tzset();
    const auto units = awkwardUnits();
    const std::vector<std::string> wide = linesOf(formatRecord(units, RecordFormat::Table));
    EXPECT_NE(wide[1].find("  2026-12-08 11:30:01  "), std::string::npos) << wide[1];
    EXPECT_EQ(wide[1].find("..."), std::string::npos);
    const std::size_t full = wide[1].size();
    const std::regex cutCapcodes(R"(  (\d:\d{7} )*\.\.\.  )");
    // The capcodes column narrows no further than its header.
    const std::size_t capcodesWidth = wide[0].find("frequency") - wide[0].find("capcodes") - 2;
    const std::size_t narrowest = full - (capcodesWidth - std::string("capcodes").size());
    for (std::size_t width : {full, full - 1, full - 20, std::size_t(40)}) {
        const std::vector<std::string> lines = linesOf(formatRecord(units, RecordFormat::Table, width));
        ASSERT_EQ(lines.size(), 3u);
        EXPECT_TRUE(std::regex_search(lines[0], std::regex("  capcodes +frequency  "))) << lines[0];
        for (const std::string& line : {lines[1], lines[2]}) {
            EXPECT_LE(line.size(), std::max(width, narrowest)) << width << "\n" << line;
            EXPECT_EQ(std::regex_search(line, cutCapcodes), width < full) << width << "\n" << line;
        }
    }
    EXPECT_NE(formatRecord(units, RecordFormat::Csv).find(",2026-12-08T09:30:01.123Z,"), std::string::npos)
        << "CSV keeps UTC";
    zone ? setenv("TZ", savedZone.c_str(), 1) : unsetenv("TZ");
    tzset();
}

TEST(RecordFormat, Names) {
    EXPECT_EQ(recordFormatFromName("table"), RecordFormat::Table);
    EXPECT_EQ(recordFormatFromName("csv"), RecordFormat::Csv);
    EXPECT_EQ(recordFormatFromName("json"), RecordFormat::Json);
    EXPECT_EQ(recordFormatFromName("xml"), std::nullopt);
}

TEST(RecordTime, NormalisesDatesAndDateTimes) {
    const std::pair<const char*, std::optional<std::string>> cases[] = {
        {"2026-12-08", "2026-12-08T00:00:00.000Z"},
        {"2026-12-08T09:30", "2026-12-08T09:30:00.000Z"},
        {"2026-12-08 09:30:15", "2026-12-08T09:30:15.000Z"},
        {"2026-12-08T09:30:15.5Z", "2026-12-08T09:30:15.500Z"},
        {"2026-12-08T09:30:15.123456", "2026-12-08T09:30:15.123Z"},
        {"2024-02-29", "2024-02-29T00:00:00.000Z"},
        {"2026-12-08Z", "2026-12-08T00:00:00.000Z"},
        {"2026-02-29", std::nullopt},
        {"2026-13-01", std::nullopt},
        {"2026-12-00", std::nullopt},
        {"2026-12-8", std::nullopt},
        {"2026-12-08T24:00", std::nullopt},
        {"2026-12-08T09:60", std::nullopt},
        {"2026-12-08T09:30:60", std::nullopt},
        {"2026-12-08T09:30+02:00", std::nullopt},
        {"2026-12-08T", std::nullopt},
        {"2026-12-08T09:30:15.", std::nullopt},
        {"08.12.2026", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& [text, normal] : cases) EXPECT_EQ(normalizeUtcTime(text), normal) << text;
}

TEST(RecordTime, TimestampsSortAsTheirTimes) {
    using namespace std::chrono;
    EXPECT_EQ(utcTimestamp(system_clock::time_point{}), "1970-01-01T00:00:00.000Z");
    const auto known = sys_days{year{2026} / 12 / 8} + hours{9} + minutes{30} + milliseconds{123};
    EXPECT_EQ(utcTimestamp(known), "2026-12-08T09:30:00.123Z");
    EXPECT_EQ(normalizeUtcTime(utcTimestamp(known)), utcTimestamp(known));

    std::mt19937_64 random(42);
    std::uniform_int_distribution<std::int64_t> millis(0, 4102444800000);  // up to 2100
    for (int i = 0; i < 1000; ++i) {
        const system_clock::time_point a{milliseconds{millis(random)}}, b{milliseconds{millis(random)}};
        EXPECT_EQ(a < b, utcTimestamp(a) < utcTimestamp(b));
    }
}

}  // namespace
}  // namespace pagerprog
