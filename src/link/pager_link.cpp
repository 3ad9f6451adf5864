#include "link/pager_link.h"

#include "link/port_access.h"
#include "settings/program_state.h"

namespace pagerprog {

PagerLink::PagerLink(Context& context, PortAccess& port, Clock& clock, HidBackend& hidBackend)
    : port_(port),
      hid_(hidBackend),
      bus_(port, clock, timing_, context.host),
      usb_(hid_, port, context.host, context.program, context.model),
      engine_(bus_, usb_, context.host, context.program) {}

void PagerLink::exit() { port_.shutDown(); }

}  // namespace pagerprog
