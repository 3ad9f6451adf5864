#include "cli/record_reading.h"

#include <filesystem>

#include "app/record/data_home.h"
#include "app/record/production_record.h"

namespace pagerprog::cli {

std::vector<StoredUnit> findInRecord(const Options& options, Console& console, const RecordQuery& query) {
    const std::filesystem::path path = options.db.empty() ? defaultRecordPath() : std::filesystem::path(options.db);
    if (!std::filesystem::exists(path)) {
        // Nothing recorded yet is an empty answer, not a failure: no pager got that capcode.
        console.status("pagerprog-cli: no production record at " + path.string() + " yet");
        return {};
    }
    RecordOpenOptions readOnly;
    readOnly.readOnly = true;
    return ProductionRecord(path, readOnly).find(query);
}

}  // namespace pagerprog::cli
