// Parallel-port access on Linux through ppdev: LPT1 (0x378) is /dev/parport0 and LPT2
// (0x278) is /dev/parport1. The port is claimed when the adapter is switched on and
// released when it is switched off, so other programs may use it between transfers.
#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include "link/port_access.h"

namespace pagerprog {

class PpdevPort : public PortAccess {
public:
    // ppdev's claim sleeps for as long as another program holds the port; it is given up
    // after `claimLimit`.
    explicit PpdevPort(std::chrono::milliseconds claimLimit = std::chrono::milliseconds(1500))
        : claimLimit_(claimLimit) {}
    PpdevPort(const PpdevPort&) = delete;
    PpdevPort& operator=(const PpdevPort&) = delete;
    ~PpdevPort() override { release(); }

    // The ppdev device of a port base, or nothing for a base that names no LPT port.
    static std::optional<std::string> devicePath(std::uint16_t base);

    std::optional<std::string> claim(std::uint16_t base) override;
    void release() override;
    // ppdev passes raw register bits both ways (control bit 2 is not inverted).
    std::uint8_t readPort(std::uint16_t port) override;
    void writePort(std::uint16_t port, std::uint8_t value) override;
    void shutDown() override { release(); }
    std::string deviceName(std::uint16_t base) const override;
    bool removed() const override;
    ClaimProblem lastClaimProblem() const override { return problem_; }

private:
    std::optional<std::string> failed(const std::string& device, int error);

    std::chrono::milliseconds claimLimit_;
    int fd_ = -1;
    std::uint16_t base_ = 0;
    ClaimProblem problem_ = ClaimProblem::None;
};

}  // namespace pagerprog
