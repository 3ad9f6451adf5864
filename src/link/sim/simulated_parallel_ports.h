// Simulated adapters standing at the PC's parallel ports, for gangs without hardware: a
// claim at a port's base reaches the adapter standing there, and nothing answers at a port
// where none stands.
#pragma once

#include <map>

#include "link/sim/simulated_port.h"

namespace pagerprog {

class SimulatedParallelPorts : public PortAccess {
public:
    void stand(std::uint16_t base, SimulatedPort& adapter) { adapters_[base] = &adapter; }

    std::optional<std::string> claim(std::uint16_t base) override;
    void release() override { current_->release(); }
    std::uint8_t readPort(std::uint16_t port) override { return current_->readPort(port); }
    void writePort(std::uint16_t port, std::uint8_t value) override { current_->writePort(port, value); }
    void shutDown() override;
    std::string deviceName(std::uint16_t base) const override { return empty_.deviceName(base); }
    ClaimProblem lastClaimProblem() const override { return current_->lastClaimProblem(); }
    std::optional<bool> wiredSda() const override { return current_->wiredSda(); }
    bool removed() const override { return current_->removed(); }

private:
    std::map<std::uint16_t, SimulatedPort*> adapters_;
    SimulatedPort empty_;
    SimulatedPort* current_ = &empty_;
};

}  // namespace pagerprog
