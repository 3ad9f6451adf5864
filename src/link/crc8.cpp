#include "link/crc8.h"

namespace pagerprog {

std::uint8_t crc8(std::uint8_t crc, std::uint8_t byte) {
    for (int bit = 0; bit < 8; ++bit) {
        const bool differs = ((crc ^ byte) & 1) != 0;
        crc = static_cast<std::uint8_t>(crc >> 1);
        if (differs) crc ^= 0x8C;
        byte = static_cast<std::uint8_t>(byte >> 1);
    }
    return crc;
}

std::uint8_t crc8(std::span<const std::uint8_t> bytes) {
    std::uint8_t crc = 0;
    for (auto byte : bytes) crc = crc8(crc, byte);
    return crc;
}

}  // namespace pagerprog
