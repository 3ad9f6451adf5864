// The 24Cxx family: capacity, page size and the USB programmer's chip code.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace pagerprog {

struct ChipDef {
    std::uint16_t type = 0;  // capacity in kilobits (24C16 = 16)
    std::size_t totalLength = 0;
    std::size_t pageSize = 0;   // parallel-port page writes only
    std::uint8_t chipCode = 0;  // travels in the USB requests
};

// The chip of this type, or nothing for a type not in the family.
std::optional<ChipDef> findChip(std::uint16_t type);
// The chip named by a decimal text ("16"); nothing when it names no chip.
std::optional<ChipDef> findChip(std::string_view typeText);

}  // namespace pagerprog
