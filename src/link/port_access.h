// Byte access to the parallel port's registers, as the bus master needs it. The
// Linux backend goes through ppdev; the simulated port carries a bit-level EEPROM.
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

namespace pagerprog {

// Register offsets from the port base.
inline constexpr std::uint16_t kDataRegister = 0;
inline constexpr std::uint16_t kStatusRegister = 1;
inline constexpr std::uint16_t kControlRegister = 2;

// Why the last claim failed, for telling the user what to do about it.
enum class ClaimProblem { None, NoSuchPort, NoPermission, Busy, Other };

class PortAccess {
public:
    virtual ~PortAccess() = default;

    // Takes the port at this base for one transfer. Nothing when it is ready, else one
    // line for the status log naming the device and the system's reason.
    virtual std::optional<std::string> claim(std::uint16_t base) = 0;
    // Gives the port back after the adapter has been switched off.
    virtual void release() = 0;
    // Raw register bits at base, base + 1 or base + 2.
    virtual std::uint8_t readPort(std::uint16_t port) = 0;
    virtual void writePort(std::uint16_t port, std::uint8_t value) = 0;
    // Closes the port for good ("&Exit", or a USB programmer taken into use where the
    // access holds the port between transfers).
    virtual void shutDown() = 0;

    // True when the access keeps the port (or its driver) open between transfers, so that
    // a USB programmer taken into use must shut it down to free it.
    virtual bool holdsPortBetweenTransfers() const { return false; }
    // The device behind a port base, for the user ("/dev/parport0").
    virtual std::string deviceName(std::uint16_t base) const {
        char text[24];
        std::snprintf(text, sizeof text, "port 0x%03X", base);
        return text;
    }
    virtual ClaimProblem lastClaimProblem() const { return ClaimProblem::Other; }
    // The SDA level the bus holds right now, where the access can know it (a simulated
    // port sees what the chip pulls); a real port only shows it in a status read.
    virtual std::optional<bool> wiredSda() const { return std::nullopt; }
    // Whether the port claimed for this transfer has gone since (its driver let it go: a
    // USB adapter pulled out, a card unbound). Such a port reads 0 and drops writes without
    // an error, so only this tells a removed port from a pager that answers with zeros.
    virtual bool removed() const { return false; }
};

}  // namespace pagerprog
