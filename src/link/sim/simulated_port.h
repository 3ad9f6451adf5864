// A parallel port in memory, for tests, benchmarks and the simulate mode. The data and
// control registers hold what was written; status bit 6 shows the SDA line, which the
// adapter pulls up and a device on the bus may pull low while the adapter is powered.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "link/port_access.h"

namespace pagerprog {

// A device on the adapter's two-wire bus.
class BusDevice {
public:
    virtual ~BusDevice() = default;
    // The adapter's supply and enable lines switched on or off.
    virtual void powerChanged(bool on) = 0;
    // The lines as they now stand (SDA as the wired AND of master and device).
    virtual void linesChanged(bool scl, bool sda) = 0;
    virtual bool pullsSdaLow() const = 0;
};

class SimulatedPort : public PortAccess {
public:
    using LineWatcher = std::function<void(bool scl, bool sda)>;

    // No device attached: nothing answers and every acknowledge reads as missing.
    void attach(BusDevice* device) { device_ = device; }
    // Sees every line change while the adapter is powered, after the device has reacted.
    void watchLines(LineWatcher watcher) { watchers_.push_back(std::move(watcher)); }
    // Fault: the port cannot be claimed; `line` is what the claim reports.
    void failClaim(std::string line, ClaimProblem problem = ClaimProblem::Other) {
        claimError_ = std::move(line);
        claimProblem_ = problem;
    }
    // Like a port driver opened for the whole process, which a programmer must shut down.
    bool holdsDriver = false;

    // Fault: the k-th status read (counting from 0) shows SDA high whatever the line holds.
    void sdaInputStuckHighAt(long statusRead) { stuckHighAt_ = statusRead; }
    // Fault: the port is removed at the k-th status read; from then on it reads 0 and drops
    // writes, as a removed port does.
    void removeAtStatusRead(long statusRead) { removeAt_ = statusRead; }

    std::optional<std::string> claim(std::uint16_t base) override;
    void release() override;
    std::uint8_t readPort(std::uint16_t port) override;
    void writePort(std::uint16_t port, std::uint8_t value) override;
    void shutDown() override;
    bool holdsPortBetweenTransfers() const override { return holdsDriver; }
    std::string deviceName(std::uint16_t) const override { return "simulated port"; }
    ClaimProblem lastClaimProblem() const override { return claimError_ ? claimProblem_ : ClaimProblem::None; }
    std::optional<bool> wiredSda() const override { return sdaLine(); }
    bool removed() const override { return removed_; }

    std::uint8_t data() const { return data_; }
    std::uint8_t control() const { return control_; }
    bool claimed() const { return claimed_; }
    bool adapterPowered() const;
    int claims = 0;
    int releases = 0;
    int shutDowns = 0;
    int accessesOutsideClaim = 0;  // register accesses while the port was not claimed

private:
    bool sdaLine() const;
    bool owns(std::uint16_t port);

    BusDevice* device_ = nullptr;
    std::vector<LineWatcher> watchers_;
    std::optional<std::string> claimError_;
    ClaimProblem claimProblem_ = ClaimProblem::Other;
    std::optional<long> stuckHighAt_;
    std::optional<long> removeAt_;
    bool removed_ = false;
    long statusReads_ = 0;
    bool claimed_ = false;
    std::uint16_t base_ = 0;
    std::uint8_t data_ = 0;
    std::uint8_t control_ = 0x04;
};

}  // namespace pagerprog
