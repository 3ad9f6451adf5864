#include "app/production/production_log.h"

#include <charconv>

#include "app/production/production.h"
#include "app/record/record_error.h"
#include "app/record/record_format.h"

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

// Reads the units and hands them to `format`; a record that cannot be read gives what
// `format` makes of no units, with the reason in problem().
template <typename Format>
auto ProductionLog::units(Format format) {
    std::vector<StoredUnit> found;
    problem_.clear();
    if (ProductionRecord* record = production_.record()) {
        RecordQuery query;
        query.capcode = capcode_;
        query.limit = kShownUnits;
        try {
            found = record->find(query);
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

}  // namespace pagerprog
