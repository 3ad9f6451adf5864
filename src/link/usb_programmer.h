// The USB programmer's protocol: which HID device counts as one, and its request and
// reply reports. The programmer stores and reads EEPROM bytes itself, one 32-byte chunk
// per request report. What the window does when a programmer comes or goes is the
// application's business; this class only holds the device in use.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>

#include "link/hid_backend.h"

namespace pagerprog {

class HidController;
class HidDevice;

inline constexpr std::size_t kReportBufferSize = 65;
inline constexpr std::size_t kChunkSize = 32;
// A request: byte 1 the command, byte 2 the chip code, bytes 3 and 4 the address (high
// byte first), the chunk's bytes from kRequestDataOffset. A reply: byte 1 the status, the
// chunk's bytes from kReplyDataOffset.
inline constexpr std::size_t kRequestDataOffset = 5;
inline constexpr std::size_t kReplyDataOffset = 3;

// Why a chunk failed when a request cannot be sent or no reply comes within the time limit.
inline constexpr const char* kProgrammerSilentText = "USB programmer did not answer.";

class UsbProgrammer {
public:
    enum Command : std::uint8_t { kHello = 0x13, kRead = 0x14, kWrite = 0x15 };
    // Told of the 32 bytes of every read or write request sent.
    using BytesMoved = std::function<void(int count)>;

    explicit UsbProgrammer(HidController& hid) : hid_(hid) {}

    // Vendor 0x04D8, product 0x1000, product string "Z16 programmer" or "Z26 programmer".
    static bool isProgrammer(const HidDeviceInfo& device);
    static bool isProgrammer(const HidDevice& device);

    // Whether a programmer can carry the protocol at all: reports long enough for a request
    // and a reply, and a device that opens. `problem` is empty when it can.
    struct Fitness {
        std::string problem;
        HidOpenProblem openProblem = HidOpenProblem::None;
    };
    static Fitness fitness(HidDevice& device);

    HidDevice* currentDevice() const { return current_; }
    // Takes the first attached programmer nobody holds yet, the one plugged into `portPath`
    // when that is given; null when there is none.
    HidDevice* takeFirstProgrammer(const std::string& portPath = {});
    // Makes a device the current one (a click on the device list).
    void use(HidDevice* device) { current_ = device; }
    // Gives the current device back to the layer when it has been unplugged. True when it was.
    bool releaseIfUnplugged();

    // The hello request; its reply is read and not examined.
    void hello();
    // One chunk each; false when it failed, error() then says why (an error letter's text, or silence).
    // `chipCode` is the chip's code ORed with the device select.
    bool readChunk(std::uint8_t chipCode, unsigned address, std::span<std::uint8_t, kChunkSize> data);
    bool writeChunk(std::uint8_t chipCode, unsigned address, std::span<const std::uint8_t, kChunkSize> data);
    const std::string& error() const { return error_; }
    // After a failed chunk: the port path of the programmer (its hidraw node when sysfs gave
    // none) when it was pulled out meanwhile, rather than falling silent.
    std::optional<std::string> unpluggedPort();
    // The last chunk that failed was answered 'A': the programmer is there, with no EEPROM
    // (no pager) behind it.
    bool pagerMissing() const { return pagerMissing_; }

    void setBytesMoved(BytesMoved bytesMoved) { bytesMoved_ = std::move(bytesMoved); }
    const std::array<std::uint8_t, kReportBufferSize>& requestBuffer() const { return request_; }

private:
    enum class Reply { Received, Silent };

    void discardLateReplies(std::size_t inLength);
    // Fills in the CRC, sends the request and reads one reply of at least `replyNeeded`
    // bytes into the reply buffer. `chunk` requests count their 32 bytes as moved.
    Reply exchange(bool chunk, std::size_t replyNeeded);
    void setAddress(std::uint8_t command, std::uint8_t chipCode, unsigned address);
    // Error letters and silence end the transfer; error() says which.
    bool replyAccepted(Reply reply);

    HidController& hid_;
    HidDevice* current_ = nullptr;
    BytesMoved bytesMoved_;
    std::string error_;
    bool pagerMissing_ = false;
    std::array<std::uint8_t, kReportBufferSize> request_{};
    std::array<std::uint8_t, kReportBufferSize> reply_{};
};

}  // namespace pagerprog
