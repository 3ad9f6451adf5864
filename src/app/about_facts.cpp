#include "app/about_facts.h"

#include "app/version.h"
#include "settings/program_state.h"

namespace pagerprog {

AboutFacts aboutFacts(const Context& ctx) {
    const ProgramState& p = ctx.program;
    std::string connection = "USB programmer";
    if (!p.usbProgrammerInUse) {
        connection = p.portBase == kLpt2Base ? "parallel-port adapter on LPT2 (/dev/parport1)"
                                             : "parallel-port adapter on LPT1 (/dev/parport0)";
    }
    return AboutFacts{"pagerprog", kProgramVersion, "GNU General Public License, version 3 or later", connection};
}

}  // namespace pagerprog
