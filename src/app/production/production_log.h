// What the window's production log shows: the newest units of the production record,
// all of them or those holding one capcode or serial, the same units as CSV for a
// spreadsheet, and the yield of the record's writes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/production/yield_report.h"
#include "settings/eeprom_image.h"

namespace pagerprog {

class Production;
class ProductionRecord;

class ProductionLog {
public:
    // The most units the log shows at once; the command line's log reaches all of them.
    static constexpr int kShownUnits = 1000;

    explicit ProductionLog(Production& production) : production_(production) {}

    // The filter as the technician typed it: a capcode (digits only), or nothing for every
    // unit. False, leaving the filter as it was, for anything else.
    bool filterByCapcode(const std::string& text);
    // A unit serial as typed (blanks at either end dropped), or nothing for every unit; false,
    // leaving the filter as it was, for one no serial could be.
    bool filterBySerial(const std::string& text);

    // The table's cells, the header first; none but the header while the record cannot be
    // read, problem() then saying why.
    std::vector<std::vector<std::string>> rows();
    // The units shown, every column (the status log and differences included).
    std::string csv();
    const std::string& problem() const { return problem_; }
    // The yield of every write in the record, as the command line's report table shows it;
    // only the header while the record cannot be read.
    std::vector<std::vector<std::string>> summary(ReportGrouping by);

    // The whole unit of row `id`: the table's facts and the rest of the record, one a line,
    // then its status-log lines, the differing bytes and the SHA-256 of the pager's image
    // before it ("none kept"). Nothing when the record cannot be read or has no such unit.
    std::optional<std::string> details(std::int64_t id);
    // The pager's image before unit `id`, when the record kept it.
    std::optional<Image> previousImage(std::int64_t id);

private:
    // Runs `read` on the record; nothing when there is none or it cannot be read.
    template <typename Read>
    auto fromRecord(Read read) -> decltype(read(std::declval<ProductionRecord&>()));
    template <typename Format>
    auto units(Format format);

    Production& production_;
    std::optional<std::uint32_t> capcode_;
    std::optional<std::string> serial_;
    std::string problem_;
};

}  // namespace pagerprog
