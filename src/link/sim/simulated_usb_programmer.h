// A USB programmer in memory, seen through the HID backend interface: it answers the
// programmer's request reports (hello 0x13, read 0x14 and write 0x15 of 32 bytes) on a
// simulated pager, replying 'C' to a wrong CRC, 'A' with no EEPROM attached and 'D' to
// an unknown command. Faults can be injected per chunk (a read or write request). Each
// report may take time, as a real programmer's interrupt endpoint does.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "link/hid_backend.h"

namespace pagerprog {

class Clock;
class SimulatedPager;

class SimulatedUsbProgrammer : public HidBackend {
public:
    static constexpr std::uint8_t kSuccess = 0x00;

    explicit SimulatedUsbProgrammer(SimulatedPager& pager);

    // Attaching and detaching the programmer; each raises a change notice.
    void plug();
    void unplug();
    bool plugged() const { return plugged_; }

    // What the device reports about itself.
    std::string productString = "Z16 programmer";
    std::uint16_t vendorId = 0x04D8;
    std::uint16_t productId = 0x1000;
    std::size_t reportLength = 65;  // input and output, report ID byte included
    std::string portPath = "sim1";  // the USB port it is plugged into
    std::string serial;

    // Every report sent or received takes this long on `clock` (a full-speed interrupt
    // endpoint: 1 ms); none by default.
    void takeTimePerReport(Clock& clock, std::chrono::milliseconds time) {
        clock_ = &clock;
        reportTime_ = time;
    }

    // Faults.
    bool eepromPresent = true;               // false: every chunk answers 'A'
    bool mayOpen = true;                     // false: this user may not open the device
    std::optional<long> errorLetterAtChunk;  // this chunk answers `errorLetter`
    std::uint8_t errorLetter = 'B';
    std::optional<long> silentFromChunk;   // from this chunk on, requests get no reply
    bool samePathOnReplug = false;         // like a hidraw node that gets its old number back
    std::optional<long> lateReplyAtChunk;  // this chunk's reply comes only after the reader gave up
    std::optional<long> unplugAtChunk;     // the programmer is pulled out at this chunk

    // Every request report received, for checking layouts byte by byte.
    std::vector<std::vector<std::uint8_t>> requests;
    long chunks() const { return chunks_; }

    std::vector<HidDeviceInfo> enumerate() override;
    HidOpening open(const std::string& path) override;
    bool takeChangeNotices() override;

private:
    class Connection;
    std::string path() const;
    // Handles a request; false when the programmer is gone.
    bool request(const std::string& path, std::span<const std::uint8_t> report);
    int reply(const std::string& path, std::span<std::uint8_t> buffer);
    std::uint8_t handle(std::span<const std::uint8_t> report, std::vector<std::uint8_t>& reply);
    void reportTakesTime();

    SimulatedPager& pager_;
    bool plugged_ = true;
    int generation_ = 1;  // a re-plugged programmer is a new device
    bool changed_ = false;
    Clock* clock_ = nullptr;
    std::chrono::milliseconds reportTime_{0};
    long chunks_ = 0;
    // Input reports not read yet, oldest first, as the system queues them.
    std::deque<std::vector<std::uint8_t>> replies_;
    std::optional<std::vector<std::uint8_t>> lateReply_;
};

}  // namespace pagerprog
