// The EEPROM of a simulated pager, shared by the simulated parallel-port chip and the
// simulated USB programmer. It starts with a valid factory image and can persist in a
// pager file between runs.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "settings/eeprom_image.h"

namespace pagerprog {

class SimulatedPager {
public:
    SimulatedPager();

    // The six-address template with its checksum set.
    static Image factoryImage();

    // Takes the pager file's 2048 bytes; false (memory unchanged) when it cannot.
    bool loadFrom(const std::string& path);
    bool saveTo(const std::string& path) const;

    Image memory{};

    // Fault: the bits of `mask` come back flipped whenever `address` is read.
    void flipOnRead(unsigned address, std::uint8_t mask) { readFlips_[address % kImageSize] = mask; }
    std::uint8_t readByte(unsigned address) const;
    void writeByte(unsigned address, std::uint8_t value) { memory[address % kImageSize] = value; }

private:
    std::map<unsigned, std::uint8_t> readFlips_;
};

}  // namespace pagerprog
