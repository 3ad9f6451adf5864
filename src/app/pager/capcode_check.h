// The check a write makes of its capcodes first: the address rules report a capcode out
// of range, or repeated in an enabled slot, only when a field is left; stepping the
// capcodes on after a write can produce either without anyone leaving a field.
#pragma once

#include <optional>
#include <string>

namespace pagerprog {

struct Context;

// What the address rules would refuse first among the enabled slots of the revision, named: "address1 2097151 is out of
// range", "address4 repeats the capcode of address3". Nothing when they would refuse none.
std::optional<std::string> capcodeProblem(const Context& ctx);

}  // namespace pagerprog
