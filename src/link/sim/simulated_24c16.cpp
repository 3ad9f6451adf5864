#include "link/sim/simulated_24c16.h"

#include "link/clock.h"
#include "link/sim/simulated_pager.h"

namespace pagerprog {

namespace {
constexpr unsigned kPageSize = 16;
constexpr unsigned kMemorySize = 2048;
}  // namespace

void Simulated24C16::powerChanged(bool on) {
    rules_.powerChanged(on);
    state_ = State::Idle;
    pullLow_ = false;
    pageWritten_ = 0;
    if (!on) busyUntil_ = 0;
}

bool Simulated24C16::busy() const { return clock_.nowMicros() < busyUntil_; }

void Simulated24C16::linesChanged(bool scl, bool sda) {
    rules_.linesChanged(scl, sda);
    const bool wasScl = scl_;
    const bool wasSda = sda_;
    scl_ = scl;
    sda_ = sda;
    if (scl && wasScl && sda != wasSda) {
        if (sda)
            stopCondition();
        else
            startCondition();
    } else if (scl && !wasScl) {
        risingEdge(sda);
    } else if (!scl && wasScl) {
        fallingEdge();
    }
}

void Simulated24C16::startCondition() {
    state_ = State::Receiving;
    phase_ = Phase::Control;
    bitCount_ = 0;
    shift_ = 0;
    pullLow_ = false;
}

void Simulated24C16::stopCondition() {
    if (phase_ == Phase::WriteData && pageWritten_ != 0) {
        const unsigned pageBase = address_ & ~(kPageSize - 1);
        for (unsigned i = 0; i < kPageSize; ++i)
            if (pageWritten_ & (1u << i)) pager_.writeByte(pageBase + i, page_[i]);
        pager_.commit();
        busyUntil_ = clock_.nowMicros() + writeCycleMicros_;
    }
    pageWritten_ = 0;
    state_ = State::Idle;
    phase_ = Phase::Control;
    pullLow_ = false;
}

void Simulated24C16::risingEdge(bool sda) {
    if (state_ == State::Receiving) {
        shift_ = static_cast<std::uint8_t>((shift_ << 1) | (sda ? 1 : 0));
        ++bitCount_;
    } else if (state_ == State::AwaitingAcknowledge) {
        masterAcknowledged_ = !sda;
    }
}

void Simulated24C16::fallingEdge() {
    switch (state_) {
        case State::Idle: break;
        case State::Receiving:
            if (bitCount_ == 8) {
                const bool missed = missedAcknowledge_ && *missedAcknowledge_ == bytesReceived_;
                ++bytesReceived_;
                if (missed || !byteReceived(shift_)) {
                    state_ = State::Idle;
                    break;
                }
                pullLow_ = true;
                state_ = State::Acknowledging;
            }
            break;
        case State::Acknowledging:
            pullLow_ = false;
            bitCount_ = 0;
            shift_ = 0;
            if (phase_ == Phase::ReadData) {
                state_ = State::Sending;
                driveBit();
            } else {
                state_ = State::Receiving;
            }
            break;
        case State::Sending:
            if (++bitCount_ == 8) {
                pullLow_ = false;
                state_ = State::AwaitingAcknowledge;
            } else {
                driveBit();
            }
            break;
        case State::AwaitingAcknowledge:
            address_ = (address_ + 1) % kMemorySize;
            if (masterAcknowledged_) {
                state_ = State::Sending;
                bitCount_ = 0;
                driveBit();
            } else {
                state_ = State::Idle;  // the master wants no more; a stop follows
            }
            break;
    }
}

void Simulated24C16::driveBit() {
    const std::uint8_t value = pager_.readByte(address_);
    pullLow_ = ((value >> (7 - bitCount_)) & 1) == 0;
}

bool Simulated24C16::byteReceived(std::uint8_t value) {
    switch (phase_) {
        case Phase::Control:
            if ((value & 0xF0) != 0xA0 || busy() || !pager_.present()) return false;
            if (value & 1) {
                phase_ = Phase::ReadData;  // reads go on from the address counter
            } else {
                block_ = (value >> 1) & 7;
                phase_ = Phase::WordAddress;
            }
            return true;
        case Phase::WordAddress:
            address_ = (block_ << 8) | value;
            for (unsigned i = 0; i < kPageSize; ++i) page_[i] = pager_.memory[(address_ & ~(kPageSize - 1)) + i];
            pageWritten_ = 0;
            phase_ = Phase::WriteData;
            return true;
        case Phase::WriteData: {
            const unsigned inPage = address_ & (kPageSize - 1);
            page_[inPage] = value;
            pageWritten_ = static_cast<std::uint16_t>(pageWritten_ | (1u << inPage));
            address_ = (address_ & ~(kPageSize - 1)) | ((inPage + 1) & (kPageSize - 1));
            return true;
        }
        case Phase::ReadData: return false;
    }
    return false;
}

}  // namespace pagerprog
