// The parallel-port bus as line levels in an IEEE 1364 value change dump: SCL and SDA
// (the wired level the chip sees) under exactly those names, so that PulseView, GTKWave
// and sigrok's I2C decoder take them as they are, plus SDA_OUT (what the adapter drives),
// POWER (supply and enable on), STATUS_READ (toggles at each status read) and SDA_IN
// (the SDA bit that read returned). Time is in microseconds of the monotonic clock, from
// the first access traced.
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <span>

namespace pagerprog {

// One register access of the bus master, as the tracing port saw it.
struct PortRecord {
    std::int64_t micros = 0;
    std::uint16_t reg = 0;  // kDataRegister, kStatusRegister or kControlRegister
    std::uint8_t value = 0;
    // The wired SDA level right after the access, where the port can know it.
    std::optional<bool> wiredSda;
};

class VcdTrace {
public:
    // Writes the header on first use, then every line change of these accesses, which
    // follow those of earlier calls in time.
    void append(std::span<const PortRecord> records, std::ostream& out);

private:
    enum Line { kSclLine, kSdaLine, kSdaOutLine, kPowerLine, kStatusReadLine, kSdaInLine, kLineCount };

    void writeHeader(std::ostream& out);
    void set(Line line, bool level);
    void flushTime(std::int64_t micros, std::ostream& out);

    bool headerWritten_ = false;
    std::optional<std::int64_t> origin_;
    std::optional<std::int64_t> writtenTime_;
    bool levels_[kLineCount] = {};
    bool written_[kLineCount] = {};
    bool anyWritten_ = false;
    std::uint8_t data_ = 0;
    std::uint8_t control_ = 0x04;  // adapter off: the enable line's control bit set
};

}  // namespace pagerprog
