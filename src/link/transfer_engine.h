// Moves a whole EEPROM between a buffer and the pager, over the USB programmer while
// one is in use, else over the parallel-port adapter. A write is always read back and
// compared. The engine shows nothing itself: it tells its observer how far it got and
// hands back why it failed.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "link/chip_table.h"

namespace pagerprog {

class BusMaster;
class UsbProgrammer;

// The pager's EEPROM, a 24C16, by its decimal chip type.
inline constexpr std::string_view kChip24C16 = "16";
// The transfer modes: a read, and a write with its verify.
inline constexpr std::string_view kReadMode = "r";
inline constexpr std::string_view kWriteMode = "w";

// How a transfer ended.
enum class TransferResult : std::uint8_t {
    WriteFailed = 0,  // parallel port: a page lost its acknowledge, nothing read back
    VerifyDiffers = 1,
    VerifyOk = 2,
    ReadDone = 3,
    WrittenNotVerified = 4,  // written whole; the observer stopped the transfer before the verify pass
    TransferFailed = 255,    // read failed, or the programmer reported an error
};

// The path of a transfer: the USB programmer, or the parallel port at this base.
struct TransferRoute {
    bool usbProgrammer = false;
    std::uint16_t portBase = 0x378;
};

// Follows a running transfer.
class TransferObserver {
public:
    virtual ~TransferObserver() = default;
    // Bytes on the wire: every byte on the parallel-port bus, 32 per USB chunk request.
    virtual void bytesMoved(int /*count*/) {}
    // The write is done and the read-back for the comparison is about to begin; false
    // stops the transfer there (TransferResult::WrittenNotVerified), the only point between its passes.
    virtual bool verifyPassStarting() { return true; }
};

struct TransferOutcome {
    TransferResult result = TransferResult::TransferFailed;
    std::string portError;               // the parallel port could not be claimed, and why
    std::string programmerError;         // the programmer's error letter, or its silence
    std::vector<std::uint8_t> readBack;  // what the verify pass read, when it read it all
    // The port or programmer went away during the transfer: what it read is none of the
    // pager's, whatever the result says. Names it ("/dev/parport0", "USB programmer 1-2.3").
    std::string removedPort;
};

class TransferEngine {
public:
    TransferEngine(BusMaster& bus, UsbProgrammer& usb) : bus_(bus), usb_(usb) {}

    // `chipType` a decimal chip type (kChip24C16), `select` the A2..A0 level (0), `mode`
    // kReadMode for reading (any case), anything else (kWriteMode) writes. `buffer` holds the chip's total
    // length: the destination of a read, the source of a write (left unchanged).
    TransferOutcome transfer(std::string_view chipType, int select, std::string_view mode,
                             std::span<std::uint8_t> buffer, const TransferRoute& route, TransferObserver& observer);

private:
    bool usbReadAll(const ChipDef& chip, std::uint8_t code, std::span<std::uint8_t> buffer);
    TransferOutcome usbTransfer(const ChipDef& chip, int select, bool read, std::span<std::uint8_t> buffer,
                                TransferObserver& observer);
    TransferOutcome parallelTransfer(const ChipDef& chip, int select, bool read, std::span<std::uint8_t> buffer,
                                     std::uint16_t portBase, TransferObserver& observer);
    TransferOutcome programmerFailed() const;

    BusMaster& bus_;
    UsbProgrammer& usb_;
};

}  // namespace pagerprog
