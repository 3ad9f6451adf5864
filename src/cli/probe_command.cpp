#include "cli/probe_command.h"

#include <iostream>

#include "app/probe/probe.h"
#include "app/probe/probe_text.h"
#include "cli/exit_status.h"
#include "context/context.h"

namespace pagerprog::cli {

using namespace exit_status;

int probe(Session& session, const Options& options) {
    std::optional<TransferRoute> route;
    if (options.port) {
        const ParallelPort* parallel = parallel_port::withOption(*options.port);
        route = TransferRoute{parallel == nullptr, parallel ? parallel->base : parallel_port::lpt1.base};
    }
    const ProbeReport report = probeDevices(session.link(), route);
    for (const std::string& line : probeText(report)) std::cout << line << '\n';
    switch (report.outcome) {
        case ProbeOutcome::PagerAnswered: return kPagerAnswered;
        case ProbeOutcome::NoPagerAnswered: return kNoPagerAnswered;
        case ProbeOutcome::NothingUsable: return kNothingUsable;
    }
    return kNothingUsable;
}

}  // namespace pagerprog::cli
