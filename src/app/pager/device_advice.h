// What a technician can do about a device the tool may not use, in the words the status
// log and the probe command both give.
#pragma once

#include <string>

#include "link/hid_backend.h"
#include "link/port_access.h"

namespace pagerprog {

// The fix for a parallel port that could not be claimed; empty when there is none to give.
std::string portFix(ClaimProblem problem);
// The fix for a USB programmer that could not be opened; empty when there is none to give.
std::string programmerFix(HidOpenProblem problem);

}  // namespace pagerprog
