// The production record as the commands that only read it open it: read-only, never
// made, changed or brought up to date; a record file not made yet is an empty answer.
#pragma once

#include <memory>
#include <vector>

#include "app/record/production_record.h"
#include "cli/cli_options.h"
#include "cli/console.h"

namespace pagerprog::cli {

// The record the command line names: --db, else PAGERPROG_DB, else the default file.
RecordLocation recordLocation(const Options& options);

// The record opened for reading; none, said on the console, while its file is not made
// yet. Throws RecordError for a record that cannot be read.
std::unique_ptr<ProductionRecord> openForReading(const Options& options, Console& console);

// The units the query finds, newest first; none while there is no record yet.
std::vector<StoredUnit> findInRecord(const Options& options, Console& console, const RecordQuery& query);

}  // namespace pagerprog::cli
