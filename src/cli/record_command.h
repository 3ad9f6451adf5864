// `pagerprog-cli record setup|copy|sync|status` and `batch release`: the production
// record's own work, for the shop's administrator and the benches.
#pragma once

#include "app/record/record_location.h"
#include "cli/cli_options.h"
#include "cli/console.h"

namespace pagerprog::cli {

// The record the command line names: --db, else PAGERPROG_DB, else the default file.
RecordLocation recordLocation(const Options& options);

int recordCommand(const Options& options, Console& console);
int batchCommand(const Options& options, Console& console);

}  // namespace pagerprog::cli
