#include "cli/probe_command.h"

#include <iostream>

#include "app/probe/probe.h"
#include "app/probe/probe_text.h"
#include "cli/exit_status.h"
#include "context/context.h"

namespace pagerprog::cli {

using namespace exit_status;

int probe(Session& session, const Options& options) {
    const std::optional<PortName> port =
        options.ports.empty() ? std::nullopt : std::optional<PortName>(options.ports.front());
    const ProbeReport report = probeDevices(session.link(), port);
    for (const std::string& line : probeText(report)) std::cout << line << '\n';
    switch (report.outcome) {
        case ProbeOutcome::PagerAnswered: return kPagerAnswered;
        case ProbeOutcome::NoPagerAnswered: return kNoPagerAnswered;
        case ProbeOutcome::NothingUsable: return kNothingUsable;
    }
    return kNothingUsable;
}

}  // namespace pagerprog::cli
