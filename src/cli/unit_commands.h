// The commands about pagers by name: a pager's history, a pager held against its
// customer's template, and the yield of production.
#pragma once

#include "cli/cli_options.h"
#include "cli/session.h"

namespace pagerprog::cli {

int history(const Options& options, Console& console);
int audit(Session& session, const Options& options);
int report(const Options& options, Console& console);

}  // namespace pagerprog::cli
