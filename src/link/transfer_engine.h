// Moves a whole EEPROM between a buffer and the pager, over the USB programmer while
// one is in use, else over the parallel-port adapter. A write is always read back and
// compared.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "link/chip_table.h"

namespace pagerprog {

class BusMaster;
class Host;
class UsbProgrammer;
struct ProgramState;

// Transfer result codes.
enum TransferResult : std::uint8_t {
    kWriteFailed = 0,  // parallel port: a page lost its acknowledge, nothing read back
    kVerifyDiffers = 1,
    kVerifyOk = 2,
    kReadDone = 3,
    kTransferFailed = 255,  // read failed, or the programmer reported an error
};

inline constexpr const char* kVerifyCaption = "Verify data from pager, please wait...";

class TransferEngine {
public:
    TransferEngine(BusMaster& bus, UsbProgrammer& usb, Host& host, ProgramState& program);

    // `chipType` a decimal chip type ("16"), `select` the A2..A0 level (0), `mode` "r"
    // for reading (any case), anything else writes. `buffer` holds the chip's total
    // length: the destination of a read, the source of a write (left unchanged).
    std::uint8_t transfer(std::string_view chipType, int select, std::string_view mode, std::span<std::uint8_t> buffer);

private:
    bool usbReadAll(const ChipSpec& chip, std::uint8_t code, std::span<std::uint8_t> buffer);
    std::uint8_t usbTransfer(const ChipSpec& chip, int select, bool read, std::span<std::uint8_t> buffer);
    std::uint8_t parallelTransfer(const ChipSpec& chip, int select, bool read, std::span<std::uint8_t> buffer);
    std::uint8_t compareReadBack(std::span<const std::uint8_t> source, std::span<const std::uint8_t> readBack) const;
    void startVerifyPass();

    BusMaster& bus_;
    UsbProgrammer& usb_;
    Host& host_;
    ProgramState& program_;
};

}  // namespace pagerprog
