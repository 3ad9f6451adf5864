// A 24C16 on the simulated adapter, bit by bit: it watches SCL and SDA, detects start
// and stop, decodes the control byte with its block bits and the word address, collects
// up to 16 bytes in its page buffer (wrapping within the page), stores them at the stop
// and then stays busy for its write cycle (2, 5 or 10 ms as the part is rated),
// acknowledging no control byte meanwhile. Reads are sequential from the address counter;
// the acknowledge pulls SDA low (status bit 6). Like a strict part it notices SDA changes
// while SCL is high that are not a start or stop, and, when asked, every minimum time of
// a speed grade that the master cut short; each is kept as a violation with its time.
#pragma once

#include <cstdint>
#include <optional>

#include "link/sim/bus_rule_checker.h"
#include "link/sim/simulated_port.h"

namespace pagerprog {

class Clock;
class SimulatedPager;

class Simulated24C16 : public BusDevice {
public:
    Simulated24C16(SimulatedPager& pager, Clock& clock) : pager_(pager), clock_(clock), rules_(clock) {}

    // How long a page takes to store (5 ms unless set).
    void setWriteCycleMillis(unsigned ms) { writeCycleMicros_ = std::int64_t{ms} * 1000; }
    // Also checks the minimum times of this grade from now on.
    void checkTiming(SpeedGrade grade) { rules_.checkTiming(grade); }
    const std::vector<BusViolation>& violations() const { return rules_.violations(); }

    // Fault: the k-th byte the chip receives (counting from 0) is not acknowledged: the
    // chip drops it and waits for the next start, as one that missed a bit would.
    void missAcknowledgeAt(long byteIndex) { missedAcknowledge_ = byteIndex; }
    long bytesReceived() const { return bytesReceived_; }

    void powerChanged(bool on) override;
    void linesChanged(bool scl, bool sda) override;
    bool pullsSdaLow() const override { return pullLow_; }

private:
    enum class State { Idle, Receiving, Acknowledging, Sending, AwaitingAcknowledge };
    enum class Phase { Control, WordAddress, WriteData, ReadData };

    void startCondition();
    void stopCondition();
    void risingEdge(bool sda);
    void fallingEdge();
    // Decodes a received byte; true to acknowledge it.
    bool byteReceived(std::uint8_t value);
    void driveBit();
    bool busy() const;

    SimulatedPager& pager_;
    Clock& clock_;
    BusRuleChecker rules_;
    std::int64_t writeCycleMicros_ = 5000;
    std::optional<long> missedAcknowledge_;
    long bytesReceived_ = 0;

    bool scl_ = false;
    bool sda_ = false;
    bool pullLow_ = false;
    State state_ = State::Idle;
    Phase phase_ = Phase::Control;
    int bitCount_ = 0;
    std::uint8_t shift_ = 0;
    bool masterAcknowledged_ = false;

    unsigned block_ = 0;
    unsigned address_ = 0;  // the address counter, 0..2047
    std::uint8_t page_[16] = {};
    std::uint16_t pageWritten_ = 0;  // one bit per page byte received since the word address
    std::int64_t busyUntil_ = 0;
};

}  // namespace pagerprog
