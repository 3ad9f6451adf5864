#include "cli/record_reading.h"

#include <filesystem>

namespace pagerprog::cli {

RecordLocation recordLocation(const Options& options) {
    return options.db.empty() ? defaultRecordLocation() : RecordLocation::parse(options.db);
}

std::unique_ptr<ProductionRecord> openForReading(const Options& options, Console& console) {
    const RecordLocation location = recordLocation(options);
    if (!location.onServer() && !std::filesystem::exists(location.path())) {
        // Nothing recorded yet is an empty answer, not a failure: no pager got that capcode.
        console.status("pagerprog-cli: no production record at " + location.shown() + " yet");
        return nullptr;
    }
    return std::make_unique<ProductionRecord>(location, RecordOpenOptions{.readOnly = true});
}

std::vector<StoredUnit> findInRecord(const Options& options, Console& console, const RecordQuery& query) {
    const auto record = openForReading(options, console);
    return record ? record->find(query) : std::vector<StoredUnit>();
}

}  // namespace pagerprog::cli
