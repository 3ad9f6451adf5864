#include "link/pager_link.h"

#include "link/port_access.h"

namespace pagerprog {

PagerLink::PagerLink(PortAccess& port, Clock& clock, HidBackend& hidBackend)
    : port_(port), clock_(clock), hid_(hidBackend), bus_(port, clock, timing_), usb_(hid_), engine_(bus_, usb_) {}

void PagerLink::exit() { port_.shutDown(); }

}  // namespace pagerprog
