// write: one pager, or a batch of them (with Enter between them, hands-free, or with the
// capcodes of a CSV file), each attempt kept in the production record.
#pragma once

#include "cli/cli_options.h"
#include "cli/session.h"

namespace pagerprog::cli {

int write(Session& session, const Options& options);

}  // namespace pagerprog::cli
