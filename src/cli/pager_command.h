// The single pager commands: read a pager into a file, verify a pager against a settings
// file, restore a pager's kept image, and show the production record.
#pragma once

#include "cli/cli_options.h"
#include "cli/session.h"

namespace pagerprog::cli {

int read(Session& session, const Options& options);
int verify(Session& session, const Options& options);
int restore(Session& session, const Options& options);
int log(const Options& options, Console& console);

}  // namespace pagerprog::cli
