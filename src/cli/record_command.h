// `pagerprog-cli record setup|copy|sync|status` and `batch release`: the production
// record's own work, for the shop's administrator and the benches.
#pragma once

#include "cli/cli_options.h"
#include "cli/console.h"

namespace pagerprog::cli {

int recordCommand(const Options& options, Console& console);
int batchCommand(const Options& options, Console& console);

}  // namespace pagerprog::cli
