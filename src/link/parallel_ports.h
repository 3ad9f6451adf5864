// The PC's two parallel ports as pagerprog knows them: the register base the "Parallel
// Port" menu picks, the Linux device node behind it, the name the window shows and the
// word the command line takes.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace pagerprog {

struct ParallelPort {
    std::uint16_t base;
    std::string_view device;  // "/dev/parport0"
    std::string_view name;    // "LPT1"
    std::string_view option;  // "lpt1"
};

namespace parallel_port {

inline constexpr ParallelPort lpt1{0x378, "/dev/parport0", "LPT1", "lpt1"};
inline constexpr ParallelPort lpt2{0x278, "/dev/parport1", "LPT2", "lpt2"};
inline constexpr std::array<ParallelPort, 2> all{lpt1, lpt2};

// The port at this base, or nullptr.
constexpr const ParallelPort* withBase(std::uint16_t base) {
    for (const ParallelPort& port : all)
        if (port.base == base) return &port;
    return nullptr;
}

// The port the command line names ("lpt2"), or nullptr.
constexpr const ParallelPort* withOption(std::string_view option) {
    for (const ParallelPort& port : all)
        if (port.option == option) return &port;
    return nullptr;
}

}  // namespace parallel_port

}  // namespace pagerprog
