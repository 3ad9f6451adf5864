#include "link/bus_master.h"

#include "link/clock.h"
#include "link/port_access.h"

namespace pagerprog {

namespace {
// Adapter wiring.
constexpr std::uint8_t kSclOut = 0x02;     // data bit 1
constexpr std::uint8_t kSdaOut = 0x04;     // data bit 2
constexpr std::uint8_t kSupply = 0x08;     // data bit 3
constexpr std::uint8_t kEnable = 0x80;     // data bit 7
constexpr std::uint8_t kEnableCtl = 0x04;  // control bit 2, low while the adapter is on
constexpr std::uint8_t kSdaIn = 0x40;      // status bit 6
constexpr unsigned kSupplySettleUnitMs = 500;
constexpr unsigned kAdapterOnWaitMs = 200;
constexpr unsigned kWriteEndWaitMs = 10;
}  // namespace

BusMaster::BusMaster(PortAccess& port, Clock& clock, const BusTiming& timing)
    : port_(port), clock_(clock), timing_(timing) {}

// --- line operations: read the register, change one bit, write it back, hold ---

void BusMaster::setBit(std::uint16_t reg, std::uint8_t mask) {
    port_.writePort(static_cast<std::uint16_t>(base_ + reg),
                    static_cast<std::uint8_t>(port_.readPort(base_ + reg) | mask));
}

void BusMaster::clearBit(std::uint16_t reg, std::uint8_t mask) {
    port_.writePort(static_cast<std::uint16_t>(base_ + reg),
                    static_cast<std::uint8_t>(port_.readPort(base_ + reg) & ~mask));
}

void BusMaster::sclHigh() {
    setBit(kDataRegister, kSclOut);
    clock_.busyWaitMicros(timing_.sclHighUs);
}

void BusMaster::sclLow() {
    clearBit(kDataRegister, kSclOut);
    clock_.busyWaitMicros(timing_.sclLowUs);
}

void BusMaster::sdaHigh() {
    setBit(kDataRegister, kSdaOut);
    clock_.busyWaitMicros(timing_.sdaHoldUs);
}

void BusMaster::sdaLow() {
    clearBit(kDataRegister, kSdaOut);
    clock_.busyWaitMicros(timing_.sdaHoldUs);
}

bool BusMaster::sampleSda() {
    sdaHigh();
    return (port_.readPort(base_ + kStatusRegister) & kSdaIn) != 0;
}

// --- bus operations ---

void BusMaster::startCondition() {
    sdaHigh();
    sclHigh();
    sdaLow();
    sclLow();
}

void BusMaster::stopCondition() {
    sclLow();
    sdaLow();
    sclHigh();
    sdaHigh();
}

void BusMaster::sendByte(std::uint8_t value) {
    for (int bit = 7; bit >= 0; --bit) {
        if ((value >> bit) & 1)
            sdaHigh();
        else
            sdaLow();
        sclHigh();
        sclLow();
    }
    byteMoved();
}

bool BusMaster::checkAcknowledge() {
    sclHigh();
    const bool high = sampleSda();
    sclLow();
    return !high;
}

std::uint8_t BusMaster::receiveByte() {
    unsigned value = 0;
    for (int bit = 0; bit < 8; ++bit) {
        sdaHigh();
        sclHigh();
        value = (value << 1) | (sampleSda() ? 1u : 0u);
        sclLow();
    }
    byteMoved();
    return static_cast<std::uint8_t>(value);
}

void BusMaster::byteMoved() {
    if (bytesMoved_) bytesMoved_(1);
}

void BusMaster::masterAcknowledge() {
    sdaLow();
    sclHigh();
    sclLow();
    sdaHigh();
}

void BusMaster::masterNoAcknowledge() {
    sclHigh();
    sclLow();
}

// --- memory operations ---

bool BusMaster::addressPhase(int select, unsigned wordAddress) {
    const unsigned selectBits = static_cast<unsigned>(select) << 1;
    const unsigned high = wordAddress >> 8;
    const unsigned low = wordAddress & 0xFF;
    unsigned control = 0xA0;
    std::optional<unsigned> highByte;  // chips of 32 kbit and more send the high address byte
    switch (chip_.type) {
        case 2: control |= selectBits & 0x0E; break;
        case 4: control |= (selectBits & 0x0C) | (high << 1); break;
        case 8: control |= (selectBits & 0x08) | (high << 1); break;
        case 16: control |= high << 1; break;
        case 32:
            control |= selectBits & 0x0E;
            highByte = high & 0x0F;
            break;
        case 64:
            control |= selectBits & 0x0E;
            highByte = high & 0x1F;
            break;
        case 128:
            control |= selectBits & 0x0E;
            highByte = high & 0x3F;
            break;
        case 256:
            control |= selectBits & 0x0E;
            highByte = high & 0x7F;
            break;
        default: return false;  // the parallel port has no address phase for this chip
    }
    startCondition();
    // Only the last byte's acknowledge decides; the earlier ones are clocked but ignored.
    sendByte(static_cast<std::uint8_t>(control));
    checkAcknowledge();
    if (highByte) {
        sendByte(static_cast<std::uint8_t>(*highByte));
        checkAcknowledge();
    }
    sendByte(static_cast<std::uint8_t>(low));
    return checkAcknowledge();
}

bool BusMaster::selectForReading(int select) {
    startCondition();
    sendByte(static_cast<std::uint8_t>(0xA1 | ((static_cast<unsigned>(select) << 1) & 0x0E)));
    return checkAcknowledge();
}

bool BusMaster::readWholeMemory(int select, std::span<std::uint8_t> buffer) {
    if (!addressPhase(select, 0)) return false;
    if (!selectForReading(select)) return false;
    const std::size_t length = chip_.totalLength;
    for (std::size_t i = 0; i < length; ++i) {
        buffer[i] = receiveByte();
        if (i + 1 < length)
            masterAcknowledge();
        else
            masterNoAcknowledge();
    }
    stopCondition();
    clock_.sleepMillis(timing_.busFreeMs);
    return true;
}

bool BusMaster::writePage(int select, unsigned wordAddress, std::span<const std::uint8_t> source, std::size_t offset) {
    if (!addressPhase(select, wordAddress)) return false;
    for (std::size_t i = 0; i < chip_.pageSize; ++i) {
        sendByte(source[offset + i]);
        if (!checkAcknowledge()) return false;
    }
    stopCondition();
    // The only wait for the chip's internal write cycle: no acknowledge polling.
    clock_.sleepMillis(timing_.busFreeMs);
    return true;
}

bool BusMaster::writeWholeMemory(int select, std::span<const std::uint8_t> source) {
    const std::size_t pages = chip_.totalLength / chip_.pageSize;
    for (std::size_t k = 0; k < pages; ++k) {
        const std::size_t offset = k * chip_.pageSize;
        if (!writePage(select, static_cast<unsigned>(offset), source, offset)) return false;
    }
    clock_.sleepMillis(kWriteEndWaitMs);
    return true;
}

std::optional<std::string> BusMaster::adapterOn(std::uint16_t base) {
    if (auto error = port_.claim(base)) return error;
    base_ = base;
    clearBit(kControlRegister, kEnableCtl);
    setBit(kDataRegister, kEnable);
    setBit(kDataRegister, kSupply);
    clock_.sleepMillis(timing_.supplySettle * kSupplySettleUnitMs);
    stopCondition();
    clock_.sleepMillis(kAdapterOnWaitMs);
    return std::nullopt;
}

void BusMaster::adapterOff() {
    stopCondition();
    clearBit(kDataRegister, kSupply);
    clearBit(kDataRegister, kEnable);
    setBit(kControlRegister, kEnableCtl);
    sdaLow();
    sclLow();
    port_.release();
}

}  // namespace pagerprog
