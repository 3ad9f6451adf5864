// The two-wire bus master on the parallel-port adapter: SCL and SDA are data-register
// bits, SDA comes back on status bit 6. Built in three layers, like a bit-banging bus
// driver: line operations (one bit change plus its hold), bus operations (start, stop,
// bytes, acknowledges) and memory operations on the 24Cxx (address phase, whole read,
// page write, whole write), plus the adapter's switch-on and switch-off sequences. SDA
// only ever changes while SCL is low, except in start and stop conditions.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>

#include "link/bus_timing.h"
#include "link/chip_table.h"

namespace pagerprog {

class Clock;
class PortAccess;

class BusMaster {
public:
    // Told of every byte sent or received, control and address bytes included.
    using BytesMoved = std::function<void(int count)>;

    BusMaster(PortAccess& port, Clock& clock, const BusTiming& timing);

    void setBytesMoved(BytesMoved bytesMoved) { bytesMoved_ = std::move(bytesMoved); }

    // The chip of the running transfer: its type, total length and page size.
    void setChip(const ChipDef& chip) { chip_ = chip; }

    // Claims the port and powers the adapter; the port's error line when it cannot, or
    // when the data register does not hold what was written to it (no port there).
    std::optional<std::string> adapterOn(std::uint16_t base);
    // Stop condition, supply and enable off, SCL low, then SDA low; gives the port back.
    void adapterOff();
    // The port of this transfer when it was removed during it; call before adapterOff().
    std::optional<std::string> removedPort() const;

    // Memory operations; false at the first missing acknowledge.
    bool addressPhase(int select, unsigned wordAddress);
    bool selectForReading(int select);
    bool readWholeMemory(int select, std::span<std::uint8_t> buffer);
    bool writePage(int select, unsigned wordAddress, std::span<const std::uint8_t> source, std::size_t offset);
    bool writeWholeMemory(int select, std::span<const std::uint8_t> source);
    // Start, the write control byte of one block (0..7), its acknowledge, stop: whether a
    // chip answers there. Moves no counted byte.
    bool blockAnswers(unsigned block);

private:
    // Line operations.
    void setBit(std::uint16_t reg, std::uint8_t mask);
    void clearBit(std::uint16_t reg, std::uint8_t mask);
    void sclHigh();
    void sclLow();
    void sdaHigh();
    void sdaLow();
    bool sampleSda();
    bool sdaIn();

    // Bus operations.
    void startCondition();
    void stopCondition();
    void sendBits(std::uint8_t value);
    void sendByte(std::uint8_t value);
    bool checkAcknowledge();
    std::uint8_t receiveByte();
    void byteMoved();
    void masterAcknowledge();
    void masterNoAcknowledge();
    // After a page: the bus-free sleep, or acknowledge polling with its control byte.
    void awaitWriteCycle(std::uint8_t control);
    // Start, the control byte, its acknowledge, stop; true when acknowledged.
    bool controlAnswered(std::uint8_t control);

    // The bytes of an address phase: control byte, high address byte of the bigger
    // chips, low address byte. Nothing for a chip without a parallel-port address phase.
    struct AddressBytes {
        std::uint8_t control;
        std::optional<std::uint8_t> high;
        std::uint8_t low;
    };
    std::optional<AddressBytes> addressBytes(int select, unsigned wordAddress) const;

    PortAccess& port_;
    Clock& clock_;
    const BusTiming& timing_;
    BytesMoved bytesMoved_;
    ChipDef chip_{};
    std::uint16_t base_ = 0;
};

}  // namespace pagerprog
