// The menu items that help with real hardware: "Bus trace..." in "&Tools" records every
// following transfer into a file the user picks (a VCD of the parallel-port bus, or the USB
// programmer's reports), until chosen again; "Acknowledge polling" in "&Parallel Port"
// makes page writes poll the chip instead of waiting the bus-free time. Both carry a check
// mark while on. A trace never overwrites the settings file or the production record.
#pragma once

#include <string>

namespace pagerprog {

class Application;
class PagerLink;
class Production;

void attachLinkTools(Application& app, PagerLink& link, const Production& production);

// Whether two paths name one file (both existing).
bool sameFile(const std::string& a, const std::string& b);

}  // namespace pagerprog
