#include "link/transfer_engine.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "link/bus_master.h"
#include "link/usb_programmer.h"

namespace pagerprog {

namespace {

bool isReadMode(std::string_view mode) { return mode.size() == 1 && std::tolower(mode[0]) == kReadMode[0]; }

TransferOutcome ended(TransferResult result) {
    TransferOutcome outcome;
    outcome.result = result;
    return outcome;
}

TransferResult compareReadBack(std::span<const std::uint8_t> source, std::span<const std::uint8_t> readBack) {
    return std::equal(source.begin(), source.end(), readBack.begin()) ? TransferResult::VerifyOk
                                                                      : TransferResult::VerifyDiffers;
}

// Routes the byte counts of the bus master and the programmer to one observer for as
// long as a transfer runs.
class CountingBytes {
public:
    CountingBytes(BusMaster& bus, UsbProgrammer& usb, TransferObserver& observer) : bus_(bus), usb_(usb) {
        auto moved = [&observer](int count) { observer.bytesMoved(count); };
        bus_.setBytesMoved(moved);
        usb_.setBytesMoved(moved);
    }
    ~CountingBytes() {
        bus_.setBytesMoved(nullptr);
        usb_.setBytesMoved(nullptr);
    }
    CountingBytes(const CountingBytes&) = delete;
    CountingBytes& operator=(const CountingBytes&) = delete;

private:
    BusMaster& bus_;
    UsbProgrammer& usb_;
};

}  // namespace

TransferOutcome TransferEngine::transfer(std::string_view chipType, int select, std::string_view mode,
                                         std::span<std::uint8_t> buffer, const TransferRoute& route,
                                         TransferObserver& observer) {
    const auto chip = findChip(chipType);
    const bool read = isReadMode(mode);
    // A chip outside the family, or a buffer that cannot hold it, moves nothing.
    if (!chip || buffer.size() < chip->totalLength)
        return ended(read ? TransferResult::TransferFailed : TransferResult::WriteFailed);
    buffer = buffer.first(chip->totalLength);
    CountingBytes counting(bus_, usb_, observer);
    return route.usbProgrammer ? usbTransfer(*chip, select, read, buffer, observer)
                               : parallelTransfer(*chip, select, read, buffer, route.portBase, observer);
}

TransferOutcome TransferEngine::programmerFailed() const {
    TransferOutcome outcome = ended(TransferResult::TransferFailed);
    outcome.programmerError = usb_.error();
    if (const auto unplugged = usb_.unpluggedPort()) outcome.removedPort = "USB programmer " + *unplugged;
    return outcome;
}

bool TransferEngine::usbReadAll(const ChipDef& chip, std::uint8_t code, std::span<std::uint8_t> buffer) {
    for (std::size_t offset = 0; offset < chip.totalLength; offset += kChunkSize) {
        if (!usb_.readChunk(code, static_cast<unsigned>(offset), buffer.subspan(offset).first<kChunkSize>()))
            return false;
    }
    return true;
}

TransferOutcome TransferEngine::usbTransfer(const ChipDef& chip, int select, bool read, std::span<std::uint8_t> buffer,
                                            TransferObserver& observer) {
    const auto code = static_cast<std::uint8_t>(chip.chipCode | select);
    if (read) return usbReadAll(chip, code, buffer) ? ended(TransferResult::ReadDone) : programmerFailed();

    for (std::size_t offset = 0; offset < chip.totalLength; offset += kChunkSize) {
        const auto chunk = std::span<const std::uint8_t>(buffer).subspan(offset).first<kChunkSize>();
        if (!usb_.writeChunk(code, static_cast<unsigned>(offset), chunk)) return programmerFailed();
    }
    if (!observer.verifyPassStarting()) return ended(TransferResult::WrittenNotVerified);
    std::vector<std::uint8_t> readBack(chip.totalLength);
    if (!usbReadAll(chip, code, readBack)) return programmerFailed();
    TransferOutcome outcome = ended(compareReadBack(buffer, readBack));
    outcome.readBack = std::move(readBack);
    return outcome;
}

TransferOutcome TransferEngine::parallelTransfer(const ChipDef& chip, int select, bool read,
                                                 std::span<std::uint8_t> buffer, std::uint16_t portBase,
                                                 TransferObserver& observer) {
    bus_.setChip(chip);
    if (auto portError = bus_.adapterOn(portBase)) {
        TransferOutcome outcome = ended(read ? TransferResult::TransferFailed : TransferResult::WriteFailed);
        outcome.portError = *portError;
        return outcome;
    }
    TransferOutcome outcome = ended(TransferResult::WriteFailed);
    if (read) {
        outcome.result =
            bus_.readWholeMemory(select, buffer) ? TransferResult::ReadDone : TransferResult::TransferFailed;
    } else if (!bus_.writeWholeMemory(select, buffer)) {
        outcome.result = TransferResult::WriteFailed;
    } else if (!observer.verifyPassStarting()) {
        outcome.result = TransferResult::WrittenNotVerified;
    } else {
        std::vector<std::uint8_t> readBack(chip.totalLength);
        if (bus_.readWholeMemory(select, readBack)) {
            outcome.result = compareReadBack(buffer, readBack);
            outcome.readBack = std::move(readBack);
        } else {
            outcome.result = TransferResult::VerifyDiffers;
        }
    }
    if (auto removed = bus_.removedPort()) outcome.removedPort = std::move(*removed);
    bus_.adapterOff();
    return outcome;
}

}  // namespace pagerprog
