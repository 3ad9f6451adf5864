// The probe report in lines for the technician, as the command-line tool prints it.
#pragma once

#include <string>
#include <vector>

#include "app/probe/probe.h"

namespace pagerprog {

std::vector<std::string> probeText(const ProbeReport& report);

}  // namespace pagerprog
