// The menu items that help with real hardware: "Bus trace..." in "&Tools" records every
// following transfer into a file the user picks (a VCD of the parallel-port bus, or the USB
// programmer's reports), until chosen again; "Acknowledge polling" in "&Parallel Port"
// makes page writes poll the chip instead of waiting the bus-free time. Both carry a check
// mark while on.
#pragma once

namespace pagerprog {

class Application;
class PagerLink;

void attachLinkTools(Application& app, PagerLink& link);

}  // namespace pagerprog
