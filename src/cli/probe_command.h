// `pagerprog-cli probe`: prints the probe report on standard output.
#pragma once

#include "cli/cli_options.h"
#include "cli/session.h"

namespace pagerprog::cli {

// 0 a pager answered, 1 a port or programmer works but no pager answered, 3 nothing usable.
int probe(Session& session, const Options& options);

}  // namespace pagerprog::cli
