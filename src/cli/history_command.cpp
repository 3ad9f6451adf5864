// history: every attempt on one pager, oldest first, named by its serial or a capcode it
// holds (in an enabled slot).
#include <algorithm>
#include <iostream>

#include "app/record/record_format.h"
#include "cli/exit_status.h"
#include "cli/record_reading.h"
#include "cli/unit_commands.h"

namespace pagerprog::cli {

namespace {

constexpr std::size_t kSettingsHashShown = 12;  // hex digits, as git shortens its hashes

// The log's columns that tell an attempt and the pager, then the settings' hash, the
// operator and the bench.
std::vector<std::vector<std::string>> historyTable(const std::vector<StoredUnit>& units) {
    const auto log = recordTable(units);
    std::vector<std::size_t> kept;
    for (std::size_t c = 0; c < log.front().size(); ++c) {
        const std::string& name = log.front()[c];
        if (name == "time" || name == "id" || name == "operation" || name == "outcome" || name == "batch" ||
            name == "unit" || name == "capcodes" || name == "serial")
            kept.push_back(c);
    }
    std::vector<std::vector<std::string>> rows;
    for (std::size_t r = 0; r < log.size(); ++r) {
        auto& row = rows.emplace_back();
        for (std::size_t c : kept) row.push_back(log[r][c]);
        if (r == 0) {
            row.insert(row.end(), {"settings", "operator", "bench"});
            continue;
        }
        const UnitRecord& u = units[r - 1].unit;
        row.push_back(u.settingsSha256.substr(0, kSettingsHashShown));
        row.push_back(u.operatorName.empty() ? u.user : u.operatorName);
        row.push_back(u.host + " " + u.port);
    }
    return rows;
}

bool holdsEnabled(const UnitRecord& unit, std::uint32_t capcode) {
    return std::any_of(unit.capcodes.begin(), unit.capcodes.end(),
                       [capcode](const SlotCapcode& slot) { return slot.enabled && slot.capcode == capcode; });
}

}  // namespace

int history(const Options& options, Console& console) {
    std::vector<StoredUnit> units =
        findInRecord(options, console, {.capcode = options.capcode, .serial = options.serial});
    if (options.capcode)
        std::erase_if(units, [&](const StoredUnit& s) { return !holdsEnabled(s.unit, *options.capcode); });
    std::reverse(units.begin(), units.end());
    if (units.empty())
        console.status("pagerprog-cli: the production record holds no attempt on " +
                       (options.serial ? "serial " + *options.serial : "capcode " + std::to_string(*options.capcode)));
    const RecordFormat format = *recordFormatFromName(options.format);
    std::cout << (format == RecordFormat::Table ? alignedTable(historyTable(units)) : formatRecord(units, format));
    return exit_status::kOk;
}

}  // namespace pagerprog::cli
