#include "link/pager_link.h"

#include "link/port_access.h"

namespace pagerprog {

PagerLink::PagerLink(PortAccess& port, Clock& clock, HidBackend& hidBackend)
    : port_(port),
      clock_(clock),
      tracedPort_(port, clock),
      tracedHid_(hidBackend, clock),
      hid_(tracedHid_),
      bus_(tracedPort_, clock, timing_),
      usb_(hid_),
      engine_(bus_, usb_) {}

void PagerLink::exit() { port_.shutDown(); }

std::optional<std::string> PagerLink::startTrace(const std::string& path) {
    stopTrace();
    std::string error;
    trace_ = LinkTrace::create(path, error);
    if (!trace_) return error;
    tracedPort_.traceTo(trace_.get());
    tracedHid_.traceTo(trace_.get());
    return std::nullopt;
}

void PagerLink::stopTrace() {
    tracedPort_.traceTo(nullptr);
    tracedHid_.traceTo(nullptr);
    trace_.reset();
}

}  // namespace pagerprog
