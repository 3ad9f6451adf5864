// The production record as the commands that only read it open it: read-only, never
// made, changed or brought up to date; a record not made yet is an empty answer.
#pragma once

#include <vector>

#include "app/record/record_types.h"
#include "cli/cli_options.h"
#include "cli/console.h"

namespace pagerprog::cli {

// The units the query finds, newest first; none, said on the console, while there is no
// record yet. Throws RecordError for a record that cannot be read.
std::vector<StoredUnit> findInRecord(const Options& options, Console& console, const RecordQuery& query);

}  // namespace pagerprog::cli
