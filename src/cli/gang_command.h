// write --gang: every programmer at once (or those --port names), hands-free, each taking
// the next unit of the one batch; one result line per unit naming its programmer, and a
// summary with each programmer's count and the pagers per hour.
#pragma once

#include "cli/cli_options.h"
#include "cli/session.h"

namespace pagerprog::cli {

int writeGang(Session& session, const Options& options);

}  // namespace pagerprog::cli
