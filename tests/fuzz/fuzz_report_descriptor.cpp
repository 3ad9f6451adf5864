// HID report descriptors as a device may send them, garbage included: no crash, no read
// outside the descriptor, and lengths no larger than the descriptor could declare.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "link/report_descriptor.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto lengths = pagerprog::reportLengths(std::span<const std::uint8_t>(data, size));
    // Report Size and Report Count are at most 32-bit each: bits per item fit 64 bits.
    constexpr std::size_t kMostBytes = (std::size_t{1} << 61) + 1;
    if (lengths.input > kMostBytes || lengths.output > kMostBytes) std::abort();
    if (size == 0 && (lengths.input != 0 || lengths.output != 0)) std::abort();
    return 0;
}
