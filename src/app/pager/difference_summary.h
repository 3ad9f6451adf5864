// What a verify found different, in one line a technician reads: how many bytes, the
// first, and what they hold ("3 bytes differ, the first at 0x001: address1, frequency").
#pragma once

#include <string>
#include <vector>

#include "app/record/record_types.h"
#include "settings/revision.h"

namespace pagerprog {

std::string differenceSummary(const std::vector<ByteDifference>& differences, Layout layout);

}  // namespace pagerprog
