// Report lengths from a HID report descriptor, as the HID class driver reports them:
// the longest report of each kind in bytes plus one for the report ID byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace pagerprog {

struct ReportLengths {
    std::size_t input = 0;   // 0 when the device has no input report
    std::size_t output = 0;  // 0 when the device has no output report
};

// Adds Report Size x Report Count of every Input and Output main item per report ID,
// rounds up to bytes. A truncated descriptor counts what it holds.
ReportLengths reportLengths(std::span<const std::uint8_t> descriptor);

}  // namespace pagerprog
