// What a platform's HID support provides to the device layer: the present devices,
// a connection for report output and input, and a notice that the set changed. The
// hidapi backend and the simulated USB programmer each implement it.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace pagerprog {

struct HidDeviceInfo {
    std::string path;  // unique while the device stays attached ("/dev/hidraw3")
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::string productString;           // UTF-8
    std::size_t inputReportLength = 0;   // report ID byte included
    std::size_t outputReportLength = 0;  // report ID byte included
    // Where it is plugged in, as sysfs names the USB device ("1-2.3"): unlike the path it
    // stays the same when the device is plugged into the same port again.
    std::string portPath;
    std::string serial;  // its own serial string, "" when it has none
};

class HidConnection {
public:
    virtual ~HidConnection() = default;
    // Sends one whole output report, byte 0 being the report ID; false on failure.
    virtual bool writeReport(std::span<const std::uint8_t> report) = 0;
    // Waits up to `timeout` for the next input report and puts it in `buffer`, report
    // ID byte first. Returns its length, 0 when none came in time, -1 on failure.
    virtual int readReport(std::span<std::uint8_t> buffer, std::chrono::milliseconds timeout) = 0;
};

// Why an open failed, for telling the user what to do about it. Busy: another program
// (or another part of this one) holds the device.
enum class HidOpenProblem { None, NoPermission, Gone, Busy, Other };

// A connection, or why there is none.
struct HidOpening {
    std::unique_ptr<HidConnection> connection;
    HidOpenProblem problem = HidOpenProblem::None;
};

class HidBackend {
public:
    virtual ~HidBackend() = default;
    virtual std::vector<HidDeviceInfo> enumerate() = 0;
    // Opens the device for this holder alone. Safe to call from the threads of several
    // holders at once.
    virtual HidOpening open(const std::string& path) = 0;
    // True when devices came or went since the last call (drains the notices).
    virtual bool takeChangeNotices() = 0;
    // A descriptor that becomes readable when a notice waits, for a socket notifier or
    // poll(); -1 when the backend has none (then the owner simply calls takeChangeNotices).
    virtual int changeNoticeFd() const { return -1; }
};

}  // namespace pagerprog
