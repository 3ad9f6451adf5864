// A port access that passes everything through to the real one and, while a trace is
// attached, records every register write and status read of a transfer with the clock's
// time. The records go to the trace when the port is given back, so turning them into
// line changes never slows the bus.
#pragma once

#include <vector>

#include "link/port_access.h"
#include "link/vcd_trace.h"

namespace pagerprog {

class Clock;
class LinkTrace;

class TracingPort : public PortAccess {
public:
    TracingPort(PortAccess& port, Clock& clock) : port_(port), clock_(clock) {}

    // The trace of the transfers from the next claim on; null stops tracing.
    void traceTo(LinkTrace* trace) { trace_ = trace; }

    std::optional<std::string> claim(std::uint16_t base) override;
    void release() override;
    std::uint8_t readPort(std::uint16_t port) override;
    void writePort(std::uint16_t port, std::uint8_t value) override;
    void shutDown() override { port_.shutDown(); }
    bool holdsPortBetweenTransfers() const override { return port_.holdsPortBetweenTransfers(); }
    std::string deviceName(std::uint16_t base) const override { return port_.deviceName(base); }
    ClaimProblem lastClaimProblem() const override { return port_.lastClaimProblem(); }
    std::optional<bool> wiredSda() const override { return port_.wiredSda(); }
    bool removed() const override { return port_.removed(); }

private:
    void record(std::uint16_t port, std::uint8_t value);

    PortAccess& port_;
    Clock& clock_;
    LinkTrace* trace_ = nullptr;
    LinkTrace* recordingFor_ = nullptr;  // the trace of the transfer under way
    std::uint16_t base_ = 0;
    std::vector<PortRecord> records_;
};

}  // namespace pagerprog
