// Byte access to the parallel port's registers, as the bus master needs it. The
// Linux backend goes through ppdev; the simulated port carries a bit-level EEPROM.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace pagerprog {

// Register offsets from the port base.
inline constexpr std::uint16_t kDataRegister = 0;
inline constexpr std::uint16_t kStatusRegister = 1;
inline constexpr std::uint16_t kControlRegister = 2;

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
    // Closes the port for good ("&Exit", or a USB programmer taken into use).
    virtual void shutDown() = 0;
    // What the port at this base is, for the production record ("/dev/parport0").
    virtual std::string deviceName(std::uint16_t base) const = 0;
};

}  // namespace pagerprog
