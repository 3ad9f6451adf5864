// Time for the bus master: microsecond holds spin on a monotonic clock, millisecond
// waits sleep. The simulated clock only counts, so tests run at once and can check
// exactly the time the bus timing asks for.
#pragma once

#include <cstdint>

namespace pagerprog {

class Clock {
public:
    virtual ~Clock() = default;
    // Microseconds on a monotonic clock.
    virtual std::int64_t nowMicros() = 0;
    // Spins until n microseconds have passed (sleeping is far too coarse for these).
    virtual void busyWaitMicros(unsigned n) = 0;
    virtual void sleepMillis(unsigned n) = 0;
};

class RealClock : public Clock {
public:
    std::int64_t nowMicros() override;
    void busyWaitMicros(unsigned n) override;
    void sleepMillis(unsigned n) override;
};

// Virtual time: every wait advances it by exactly the requested amount.
class SimulatedClock : public Clock {
public:
    std::int64_t nowMicros() override { return now_; }
    void busyWaitMicros(unsigned n) override { now_ += n; }
    void sleepMillis(unsigned n) override { now_ += std::int64_t{n} * 1000; }

private:
    std::int64_t now_ = 0;
};

}  // namespace pagerprog
