// The USB programmer: which HID device counts as one, what happens when it comes and
// goes, and its request and reply reports. The programmer stores and reads EEPROM
// bytes itself, one 32-byte chunk per request report.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace pagerprog {

class Host;
class HidController;
class HidDevice;
class PortAccess;
class SettingsModel;
struct ProgramState;

inline constexpr std::size_t kReportBufferSize = 65;
inline constexpr std::size_t kChunkSize = 32;

// Shown when a request cannot be sent or no reply comes within the time limit.
inline constexpr const char* kProgrammerSilentText = "USB programmer did not answer.";

class UsbProgrammer {
public:
    enum Command : std::uint8_t { kHello = 0x13, kRead = 0x14, kWrite = 0x15 };

    // Registers itself as the layer's device-change handler.
    UsbProgrammer(HidController& hid, PortAccess& port, Host& host, ProgramState& program, SettingsModel& model);

    // Vendor 0x04D8, product 0x1000, product string "Z16 programmer" or "Z26 programmer".
    static bool isProgrammer(const HidDevice& device);

    // Run by the layer after start-up and whenever devices came or went.
    void deviceChange();
    HidDevice* currentDevice() const { return current_; }

    // One chunk each; false after a message box has told why (error letter, no answer).
    // `chipCode` is the chip's code ORed with the device select.
    bool readChunk(std::uint8_t chipCode, unsigned address, std::span<std::uint8_t, kChunkSize> data);
    bool writeChunk(std::uint8_t chipCode, unsigned address, std::span<const std::uint8_t, kChunkSize> data);

    // The device list (`DevListBox`): one line per plugged-in device, each device checked
    // out and kept with its line; a click makes the selected line's device current.
    void enumerateDevices();
    const std::vector<std::string>& devListLines() const { return devListLines_; }
    void DevListBoxClick(int selected);
    // The layer's data-error report: "Read Error: " and the system's text for the code.
    void dataError(int systemErrorCode);

    const std::array<std::uint8_t, kReportBufferSize>& requestBuffer() const { return request_; }

private:
    enum class Reply { Received, Silent };

    void programmerUnplugged();
    void discardLateReplies(std::size_t inLength);
    void programmerArrived(HidDevice* device);
    // Fills in the CRC, sends the request and reads one reply of at least `replyNeeded`
    // bytes into the reply buffer. `chunk` requests advance the progress bar by 32.
    Reply exchange(bool chunk, std::size_t replyNeeded);
    void setAddress(std::uint8_t command, std::uint8_t chipCode, unsigned address);
    // Error letters and silence end the transfer with a message box.
    bool replyAccepted(Reply reply);

    HidController& hid_;
    PortAccess& port_;
    Host& host_;
    ProgramState& program_;
    SettingsModel& model_;
    HidDevice* current_ = nullptr;
    std::array<std::uint8_t, kReportBufferSize> request_{};
    std::array<std::uint8_t, kReportBufferSize> reply_{};
    std::vector<std::string> devListLines_;
    std::vector<HidDevice*> devListDevices_;
};

}  // namespace pagerprog
