// The pager's own hardware calibration, taken over before a write so that a pager keeps
// what the factory tuned in it: the PLL chip and backlight (and, in TV8, the contrast)
// always; in the TV7 revisions also the Q4 decoder set-up, the model and the battery
// thresholds, provided they look like a factory QTX73T's, else the factory defaults.
#pragma once

#include <string>
#include <vector>

#include "settings/revision.h"

namespace pagerprog {

struct Context;

// The fields a write may take over from the pager in this revision (in TV8 the contrast
// only while its switch is off).
std::vector<std::string> calibrationFields(Revision revision);

// Works on ctx.program.image, whose settings area already holds the pager's bytes, and
// sets the hardware fields from it.
void takeHardwareBlock(Context& ctx);

}  // namespace pagerprog
