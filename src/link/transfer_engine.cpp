#include "link/transfer_engine.h"

#include <algorithm>
#include <vector>

#include "link/bus_master.h"
#include "link/usb_programmer.h"
#include "settings/host.h"
#include "settings/program_state.h"

namespace pagerprog {

namespace {
bool isReadMode(std::string_view mode) { return mode == "r" || mode == "R"; }
}  // namespace

TransferEngine::TransferEngine(BusMaster& bus, UsbProgrammer& usb, Host& host, ProgramState& program)
    : bus_(bus), usb_(usb), host_(host), program_(program) {}

std::uint8_t TransferEngine::transfer(std::string_view chipType, int select, std::string_view mode,
                                      std::span<std::uint8_t> buffer) {
    const auto chip = findChip(chipType);
    const bool read = isReadMode(mode);
    // A chip outside the family, or a buffer that cannot hold it, moves nothing.
    if (!chip || buffer.size() < chip->totalLength) return read ? kTransferFailed : kWriteFailed;
    buffer = buffer.first(chip->totalLength);
    return program_.usbProgrammerInUse ? usbTransfer(*chip, select, read, buffer)
                                       : parallelTransfer(*chip, select, read, buffer);
}

void TransferEngine::startVerifyPass() {
    host_.progressCaption(kVerifyCaption);
    host_.progressPosition(0);
}

std::uint8_t TransferEngine::compareReadBack(std::span<const std::uint8_t> source,
                                             std::span<const std::uint8_t> readBack) const {
    return std::equal(source.begin(), source.end(), readBack.begin()) ? kVerifyOk : kVerifyDiffers;
}

bool TransferEngine::usbReadAll(const ChipSpec& chip, std::uint8_t code, std::span<std::uint8_t> buffer) {
    for (std::size_t offset = 0; offset < chip.totalLength; offset += kChunkSize) {
        if (!usb_.readChunk(code, static_cast<unsigned>(offset), buffer.subspan(offset).first<kChunkSize>()))
            return false;
    }
    return true;
}

std::uint8_t TransferEngine::usbTransfer(const ChipSpec& chip, int select, bool read, std::span<std::uint8_t> buffer) {
    const auto code = static_cast<std::uint8_t>(chip.chipCode | select);
    if (read) return usbReadAll(chip, code, buffer) ? kReadDone : kTransferFailed;

    for (std::size_t offset = 0; offset < chip.totalLength; offset += kChunkSize) {
        const auto chunk = std::span<const std::uint8_t>(buffer).subspan(offset).first<kChunkSize>();
        if (!usb_.writeChunk(code, static_cast<unsigned>(offset), chunk)) return kTransferFailed;
    }
    startVerifyPass();
    std::vector<std::uint8_t> readBack(chip.totalLength);
    if (!usbReadAll(chip, code, readBack)) return kTransferFailed;
    return compareReadBack(buffer, readBack);
}

std::uint8_t TransferEngine::parallelTransfer(const ChipSpec& chip, int select, bool read,
                                              std::span<std::uint8_t> buffer) {
    bus_.setChip(chip);
    if (auto portError = bus_.adapterOn(program_.portBase)) {
        host_.log(*portError);
        return read ? kTransferFailed : kWriteFailed;
    }
    std::uint8_t result = kWriteFailed;
    if (read) {
        result = bus_.readWholeMemory(select, buffer) ? kReadDone : kTransferFailed;
    } else if (bus_.writeWholeMemory(select, buffer)) {
        startVerifyPass();
        std::vector<std::uint8_t> readBack(chip.totalLength);
        result =
            bus_.readWholeMemory(select, readBack) ? compareReadBack(buffer, readBack) : std::uint8_t{kVerifyDiffers};
    }
    bus_.adapterOff();
    return result;
}

}  // namespace pagerprog
