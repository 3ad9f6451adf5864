#include "link/chip_table.h"

#include <array>
#include <charconv>

namespace pagerprog {

namespace {
constexpr std::array<ChipDef, 10> kChips{{
    {1, 128, 1, 0x00},
    {2, 256, 1, 0x10},
    {4, 512, 16, 0x20},
    {8, 1024, 16, 0x30},
    {16, 2048, 16, 0x40},
    {32, 4096, 32, 0x50},
    {64, 8192, 32, 0x60},
    {128, 16384, 64, 0x70},
    {256, 32768, 64, 0x80},
    {512, 65536, 64, 0x90},
}};
}  // namespace

std::optional<ChipDef> findChip(std::uint16_t type) {
    for (const auto& chip : kChips)
        if (chip.type == type) return chip;
    return std::nullopt;
}

std::optional<ChipDef> findChip(std::string_view typeText) {
    std::uint16_t type = 0;
    const auto* end = typeText.data() + typeText.size();
    const auto [next, error] = std::from_chars(typeText.data(), end, type);
    if (error != std::errc{} || next != end) return std::nullopt;
    return findChip(type);
}

}  // namespace pagerprog
