// How the passive adapter hangs on the parallel port: which register bits drive and read
// the pager's two-wire bus and switch its supply. The bus master drives these bits, the
// bus trace reads them back, and the simulated port answers on them.
#pragma once

#include <cstdint>

namespace pagerprog::wiring {

inline constexpr std::uint8_t kSclOut = 0x02;  // data bit 1
inline constexpr std::uint8_t kSdaOut = 0x04;  // data bit 2
inline constexpr std::uint8_t kSupply = 0x08;  // data bit 3
inline constexpr std::uint8_t kEnable = 0x80;  // data bit 7
inline constexpr std::uint8_t kSupplyAndEnable = kSupply | kEnable;
inline constexpr std::uint8_t kEnableCtl = 0x04;  // control bit 2, low while the adapter is on
inline constexpr std::uint8_t kSdaIn = 0x40;      // status bit 6

// The adapter powers the pager only with supply and enable driven and the enable line low.
inline constexpr bool adapterPowered(std::uint8_t data, std::uint8_t control) {
    return (data & kSupplyAndEnable) == kSupplyAndEnable && (control & kEnableCtl) == 0;
}

}  // namespace pagerprog::wiring
