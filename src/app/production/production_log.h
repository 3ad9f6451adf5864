// What the window's production log shows: the newest units of the production record,
// all of them or those holding one capcode, and the same units as CSV for a spreadsheet.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pagerprog {

class Production;

class ProductionLog {
public:
    // The most units the log shows at once; the command line's log reaches all of them.
    static constexpr int kShownUnits = 1000;

    explicit ProductionLog(Production& production) : production_(production) {}

    // The filter as the technician typed it: a capcode (digits only), or nothing for every
    // unit. False, leaving the filter as it was, for anything else.
    bool filterByCapcode(const std::string& text);

    // The table's cells, the header first; none but the header while the record cannot be
    // read, problem() then saying why.
    std::vector<std::vector<std::string>> rows();
    // The units shown, every column (the status log and differences included).
    std::string csv();
    const std::string& problem() const { return problem_; }

private:
    template <typename Format>
    auto units(Format format);

    Production& production_;
    std::optional<std::uint32_t> capcode_;
    std::string problem_;
};

}  // namespace pagerprog
