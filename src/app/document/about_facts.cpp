#include "app/document/about_facts.h"

#include "app/document/version.h"
#include "context/context.h"

namespace pagerprog {

AboutFacts aboutFacts(const Context& ctx) {
    const ProgramState& p = ctx.program;
    std::string connection = "USB programmer";
    if (!p.usbProgrammerInUse) {
        const ParallelPort* port = parallel_port::withBase(p.portBase);
        if (port == nullptr) port = &parallel_port::lpt1;
        connection = "parallel-port adapter on " + std::string(port->name) + " (" + std::string(port->device) + ")";
    }
    return AboutFacts{"pagerprog", kProgramVersion, "GNU General Public License, version 3 or later", connection};
}

}  // namespace pagerprog
