#include "link/bus_master.h"

#include "link/adapter_wiring.h"

#include <cstdio>

#include "link/clock.h"
#include "link/port_access.h"

namespace pagerprog {

namespace {
using namespace wiring;
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

bool BusMaster::sdaIn() { return (port_.readPort(base_ + kStatusRegister) & kSdaIn) != 0; }

bool BusMaster::sampleSda() {
    sdaHigh();
    return sdaIn();
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

void BusMaster::sendBits(std::uint8_t value) {
    for (int bit = 7; bit >= 0; --bit) {
        if ((value >> bit) & 1)
            sdaHigh();
        else
            sdaLow();
        sclHigh();
        sclLow();
    }
}

void BusMaster::sendByte(std::uint8_t value) {
    sendBits(value);
    byteMoved();
}

// SDA is released before SCL rises: released with SCL high, a last bit of 0 that nobody
// acknowledges would turn into a stop condition inside the acknowledge clock.
bool BusMaster::checkAcknowledge() {
    sdaHigh();
    sclHigh();
    const bool high = sdaIn();
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

// SDA is already released after the byte; its hold keeps SCL low long enough before the
// clock, which otherwise would follow the byte's last fall after the SCL low hold alone.
void BusMaster::masterNoAcknowledge() {
    sdaHigh();
    sclHigh();
    sclLow();
}

// --- memory operations ---

std::optional<BusMaster::AddressBytes> BusMaster::addressBytes(int select, unsigned wordAddress) const {
    const unsigned selectBits = static_cast<unsigned>(select) << 1;
    const unsigned high = wordAddress >> 8;
    AddressBytes bytes{0xA0, std::nullopt, static_cast<std::uint8_t>(wordAddress & 0xFF)};
    unsigned control = 0xA0;
    // Chips of 32 kbit and more send the high address byte.
    switch (chip_.type) {
        case 2: control |= selectBits & 0x0E; break;
        case 4: control |= (selectBits & 0x0C) | (high << 1); break;
        case 8: control |= (selectBits & 0x08) | (high << 1); break;
        case 16: control |= high << 1; break;
        case 32:
            control |= selectBits & 0x0E;
            bytes.high = static_cast<std::uint8_t>(high & 0x0F);
            break;
        case 64:
            control |= selectBits & 0x0E;
            bytes.high = static_cast<std::uint8_t>(high & 0x1F);
            break;
        case 128:
            control |= selectBits & 0x0E;
            bytes.high = static_cast<std::uint8_t>(high & 0x3F);
            break;
        case 256:
            control |= selectBits & 0x0E;
            bytes.high = static_cast<std::uint8_t>(high & 0x7F);
            break;
        default: return std::nullopt;  // the parallel port has no address phase for this chip
    }
    bytes.control = static_cast<std::uint8_t>(control);
    return bytes;
}

bool BusMaster::addressPhase(int select, unsigned wordAddress) {
    const auto bytes = addressBytes(select, wordAddress);
    if (!bytes) return false;
    startCondition();
    // Only the last byte's acknowledge decides; the earlier ones are clocked but ignored.
    sendByte(bytes->control);
    checkAcknowledge();
    if (bytes->high) {
        sendByte(*bytes->high);
        checkAcknowledge();
    }
    sendByte(bytes->low);
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
    awaitWriteCycle(addressBytes(select, wordAddress)->control);
    return true;
}

// Polling sends the control byte of the block just written until the chip, done with its
// write cycle, acknowledges it; after the time limit the next page simply goes ahead.
void BusMaster::awaitWriteCycle(std::uint8_t control) {
    if (!timing_.acknowledgePolling) {
        clock_.sleepMillis(timing_.busFreeMs);
        return;
    }
    const std::int64_t giveUp = clock_.nowMicros() + std::int64_t{kAcknowledgePollLimitMs} * 1000;
    while (!controlAnswered(control) && clock_.nowMicros() < giveUp) {
    }
}

bool BusMaster::controlAnswered(std::uint8_t control) {
    startCondition();
    sendBits(control);
    const bool acknowledged = checkAcknowledge();
    stopCondition();
    return acknowledged;
}

bool BusMaster::blockAnswers(unsigned block) {
    return controlAnswered(static_cast<std::uint8_t>(0xA0 | ((block & 7) << 1)));
}

bool BusMaster::writeWholeMemory(int select, std::span<const std::uint8_t> source) {
    const std::size_t pages = chip_.totalLength / chip_.pageSize;
    for (std::size_t k = 0; k < pages; ++k) {
        const std::size_t offset = k * chip_.pageSize;
        if (!writePage(select, static_cast<unsigned>(offset), source, offset)) return false;
    }
    // A polled last page has already finished its write cycle.
    if (!timing_.acknowledgePolling) clock_.sleepMillis(kWriteEndWaitMs);
    return true;
}

std::optional<std::string> BusMaster::adapterOn(std::uint16_t base) {
    if (auto error = port_.claim(base)) return error;
    base_ = base;
    clearBit(kControlRegister, kEnableCtl);
    setBit(kDataRegister, kEnable);
    setBit(kDataRegister, kSupply);
    // A port that is not there, or was removed, reads 0 and drops writes without an error;
    // every acknowledge would then look present.
    if ((port_.readPort(base_ + kDataRegister) & (kEnable | kSupply)) != (kEnable | kSupply)) {
        adapterOff();
        char text[120];
        std::snprintf(text, sizeof text,
                      "The parallel port at 0x%03X does not keep what is written to it: no port there, or it was "
                      "removed.",
                      base);
        return text;
    }
    clock_.sleepMillis(timing_.supplySettle * kSupplySettleUnitMs);
    stopCondition();
    clock_.sleepMillis(kAdapterOnWaitMs);
    return std::nullopt;
}

std::optional<std::string> BusMaster::removedPort() const {
    if (!port_.removed()) return std::nullopt;
    return port_.deviceName(base_);
}

void BusMaster::adapterOff() {
    stopCondition();
    clearBit(kDataRegister, kSupply);
    clearBit(kDataRegister, kEnable);
    setBit(kControlRegister, kEnableCtl);
    // SCL first: SDA falling while SCL is high would be a start condition.
    sclLow();
    sdaLow();
    port_.release();
}

}  // namespace pagerprog
