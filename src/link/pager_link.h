// Everything that reaches a pager, put together once for a front end: the bus timing
// and bus master on the chosen port access, the HID layer on the chosen backend, the
// USB programmer and the transfer engine. Real and simulated devices plug in through
// the same interfaces; both pass through tracing layers that record a transfer's traffic
// while a trace file is open.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "link/bus_master.h"
#include "link/bus_timing.h"
#include "link/hid_controller.h"
#include "link/link_trace.h"
#include "link/tracing_hid.h"
#include "link/tracing_port.h"
#include "link/transfer_engine.h"
#include "link/usb_programmer.h"

namespace pagerprog {

class Clock;
class PortAccess;

class PagerLink {
public:
    PagerLink(PortAccess& port, Clock& clock, HidBackend& hidBackend);
    PagerLink(const PagerLink&) = delete;
    PagerLink& operator=(const PagerLink&) = delete;

    TransferOutcome transfer(std::string_view chipType, int select, std::string_view mode,
                             std::span<std::uint8_t> buffer, const TransferRoute& route, TransferObserver& observer) {
        return engine_.transfer(chipType, select, mode, buffer, route, observer);
    }
    // Closes the port access for good ("&Exit").
    void exit();

    // Traces every following transfer into a new file at `path` (a VCD of the bus on the
    // parallel port, report lines on the USB programmer); the error line when the file
    // cannot be made. A trace already running ends first.
    std::optional<std::string> startTrace(const std::string& path);
    void stopTrace();
    const LinkTrace* trace() const { return trace_.get(); }

    BusTiming& timing() { return timing_; }
    HidController& hid() { return hid_; }
    UsbProgrammer& usb() { return usb_; }
    BusMaster& bus() { return bus_; }
    PortAccess& port() { return port_; }
    Clock& clock() { return clock_; }

private:
    PortAccess& port_;
    Clock& clock_;
    TracingPort tracedPort_;
    TracingHidBackend tracedHid_;
    std::unique_ptr<LinkTrace> trace_;
    BusTiming timing_;
    HidController hid_;
    BusMaster bus_;
    UsbProgrammer usb_;
    TransferEngine engine_;
};

}  // namespace pagerprog
