// `pagerprog-cli probe`: prints the probe report on standard output.
#pragma once

#include "cli/cli_options.h"
#include "cli/session.h"

namespace pagerprog::cli {

// kPagerAnswered, kNoPagerAnswered or kNothingUsable (exit_status.h).
int probe(Session& session, const Options& options);

}  // namespace pagerprog::cli
