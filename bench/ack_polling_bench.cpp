// A full write plus verify on a simulated 24C16 with a 5 ms write cycle and standard-mode
// (100 kHz) bus timing, on virtual time: with acknowledge polling, and with the default
// fixed bus-free wait after each page. Each is printed as its ratio to the chip's own limit:
// every page's transfer at 100 kHz plus its write cycle, plus one sequential read of the
// whole chip at 100 kHz. Acknowledge polling must stay within 1.2 times that limit.
#include <cstdio>

#include "context/context.h"
#include "link/clock.h"
#include "link/pager_link.h"
#include "link/sim/simulated_devices.h"

namespace pagerprog {
namespace {

constexpr double kClockMicros = 10;  // one SCL period at 100 kHz
constexpr double kWriteCycleMicros = 5000;
constexpr int kPages = 128;
constexpr int kPageBytes = 16;

// Start, control byte, word address and 16 data bytes of 9 clocks each, stop.
constexpr double pageMicros() { return (1 + (2 + kPageBytes) * 9 + 1) * kClockMicros; }
// Start, control, word address, repeated start, read control, 2048 bytes, stop.
constexpr double readMicros() { return (1 + 2 * 9 + 1 + 9 + 2048 * 9 + 1) * kClockMicros; }
constexpr double chipLimitMicros() { return kPages * (pageMicros() + kWriteCycleMicros) + readMicros(); }

// Microseconds from the adapter switched on to the verify read done, or -1 on failure.
double writeAndVerify(bool polling) {
    SimulatedClock clock;
    SimulatedDevices devices(clock, SimulatedDevices::Path::ParallelPort);
    devices.chip.setWriteCycleMillis(5);
    devices.chip.checkTiming(SpeedGrade::Standard);
    PagerLink link(devices.port, clock, devices.programmer);
    link.timing() = BusTiming{6, 5, 1, 4, 0, polling};
    BusMaster& bus = link.bus();
    bus.setChip(*findChip(16));
    if (bus.adapterOn(parallel_port::lpt1.base)) return -1;
    const Image source = SimulatedPager::patternImage(13);
    Image readBack{};
    const auto before = clock.nowMicros();
    const bool done = bus.writeWholeMemory(0, source) && bus.readWholeMemory(0, readBack);
    const auto micros = double(clock.nowMicros() - before);
    bus.adapterOff();
    const bool clean = devices.chip.violations().empty();
    return done && clean && readBack == source ? micros : -1;
}

}  // namespace
}  // namespace pagerprog

int main() {
    using namespace pagerprog;
    const double limit = chipLimitMicros();
    const double polled = writeAndVerify(true);
    const double fixedWait = writeAndVerify(false);
    std::printf("24C16, 5 ms write cycle, 100 kHz: the chip's own limit %.1f ms\n", limit / 1000);
    std::printf("acknowledge polling: %.1f ms, ratio %.4f to the chip's limit (%s)\n", polled / 1000, polled / limit,
                polled > 0 && polled / limit <= 1.2 ? "within 1.2" : "OVER 1.2");
    std::printf("fixed bus-free wait (6 ms): %.1f ms, ratio %.4f to the chip's limit\n", fixedWait / 1000,
                fixedWait / limit);
    return polled > 0 && fixedWait > 0 && polled / limit <= 1.2 ? 0 : 1;
}
