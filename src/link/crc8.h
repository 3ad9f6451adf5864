// CRC-8/MAXIM (the 1-Wire CRC) that protects the USB programmer's requests.
#pragma once

#include <cstdint>
#include <span>

namespace pagerprog {

// Folds one byte into the register: reflected polynomial 0x8C, no final XOR.
std::uint8_t crc8(std::uint8_t crc, std::uint8_t byte);
// The CRC of a run of bytes, starting from 0 ("abc" gives 0x42).
std::uint8_t crc8(std::span<const std::uint8_t> bytes);

}  // namespace pagerprog
