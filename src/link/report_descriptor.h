// Report lengths from a HID report descriptor, as the HID class driver reports them:
// the longest report of each kind in bytes plus one for the report ID byte, and the ID
// that report goes under when the device numbers its reports.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace pagerprog {

struct ReportLengths {
    std::size_t input = 0;   // 0 when the device has no input report
    std::size_t output = 0;  // 0 when the device has no output report
    // The report IDs of those reports; 0 when the device does not number its reports.
    std::uint8_t inputId = 0;
    std::uint8_t outputId = 0;
};

// Adds Report Size x Report Count of every Input and Output main item per report ID,
// rounds up to bytes. Of reports of equal length the lowest ID wins. A truncated
// descriptor counts what it holds.
ReportLengths reportLengths(std::span<const std::uint8_t> descriptor);

}  // namespace pagerprog
