#include "parport_pc.h"

#include <linux/parport.h>

namespace fake_kernel {

namespace {
constexpr std::uint8_t kControlLines =
    PARPORT_CONTROL_STROBE | PARPORT_CONTROL_AUTOFD | PARPORT_CONTROL_INIT | PARPORT_CONTROL_SELECT;
constexpr std::uint8_t kControlReverse = 0x20;  // the data lines are inputs
constexpr std::uint8_t kStatusWithoutPins = 0x07;

constexpr int kScl = 3, kSdaOut = 4, kSupply = 5, kEnable = 9, kSdaIn = 10, kEnableLow = 16;
}  // namespace

bool PcParallelPort::dataDriven() const { return connected_ && (control_ & kControlReverse) == 0; }

bool PcParallelPort::adapterPowered() const { return pin(kSupply) == 1 && pin(kEnable) == 1 && pin(kEnableLow) == 0; }

// SDA is pulled up on the adapter; the master and the chip can each pull it low.
bool PcParallelPort::sdaLine() const { return pin(kSdaOut) == 1 && !(powered_ && chip_.pullsSdaLow()); }

int PcParallelPort::pin(int number) const {
    if (number >= 2 && number <= 9) return dataDriven() ? (data_ >> (number - 2)) & 1 : 0;
    if (!connected_) return number >= 1 && number <= 17 ? 0 : -1;
    switch (number) {
        case 1: return (control_ & PARPORT_CONTROL_STROBE) ? 0 : 1;
        case 14: return (control_ & PARPORT_CONTROL_AUTOFD) ? 0 : 1;
        case 16: return (control_ & PARPORT_CONTROL_INIT) ? 1 : 0;
        case 17: return (control_ & PARPORT_CONTROL_SELECT) ? 0 : 1;
        case kSdaIn: return sdaLine() ? 1 : 0;
        case 11:
        case 12:
        case 13:
        case 15: return 1;
        default: return -1;
    }
}

std::uint8_t PcParallelPort::readData() const {
    std::uint8_t value = 0;
    for (int bit = 0; bit < 8; ++bit) value |= static_cast<std::uint8_t>(pin(2 + bit) << bit);
    return value;
}

void PcParallelPort::writeData(std::uint8_t value) {
    data_ = value;
    linesChanged();
}

std::uint8_t PcParallelPort::readStatus() const {
    std::uint8_t status = kStatusWithoutPins;
    if (pin(15) == 1) status |= PARPORT_STATUS_ERROR;
    if (pin(13) == 1) status |= PARPORT_STATUS_SELECT;
    if (pin(12) == 1) status |= PARPORT_STATUS_PAPEROUT;
    if (pin(kSdaIn) == 1) status |= PARPORT_STATUS_ACK;
    if (pin(11) == 0) status |= PARPORT_STATUS_BUSY;
    return status;
}

std::uint8_t PcParallelPort::readControl() const { return control_ & kControlLines; }

void PcParallelPort::writeControl(std::uint8_t value) {
    if (value & kControlReverse) control_ |= kControlReverse;
    control_ = static_cast<std::uint8_t>((control_ & ~kControlLines) | (value & kControlLines));
    linesChanged();
}

void PcParallelPort::restoreControl(std::uint8_t control) {
    control_ = control;
    linesChanged();
}

void PcParallelPort::disconnect() {
    connected_ = false;
    linesChanged();
}

void PcParallelPort::linesChanged() {
    const bool powered = adapterPowered();
    if (powered != powered_) {
        powered_ = powered;
        chip_.powerChanged(powered);
    }
    if (powered) chip_.linesChanged(pin(kScl) == 1, sdaLine());
}

}  // namespace fake_kernel
