// What a bus trace costs a transfer: a full write and verify of a simulated pager on the
// parallel port, with and without a trace file. A trace must not slow a transfer below
// its timing values by more than 10%.
//
// Wall-clock runs on a busy machine scatter by more than the trace costs, so the figure
// that counts is measured in this thread's CPU time: the transfer runs on a clock that
// reads the real monotonic clock whenever asked the time (as the trace does) but lets
// the waits pass at once; the traced run's extra CPU time, recording and writing the file
// included, is what the trace adds to the time the timing values ask for. The best of a
// few wall-clock runs on the real clock is printed beside it.
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

#include "context/context.h"
#include "link/clock.h"
#include "link/pager_link.h"
#include "link/sim/simulated_devices.h"

namespace pagerprog {
namespace {

constexpr int kRounds = 3;

// Reads the monotonic clock like the real one; waits only count.
class CostingClock : public Clock {
public:
    std::int64_t nowMicros() override {
        (void)std::chrono::steady_clock::now().time_since_epoch().count();
        return now_;
    }
    void busyWaitMicros(unsigned n) override { now_ += n; }
    void sleepMillis(unsigned n) override { now_ += std::int64_t{n} * 1000; }

private:
    std::int64_t now_ = 0;
};

double threadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

struct Run {
    double clockSeconds = -1;  // on the transfer's clock
    double cpuSeconds = -1;    // this thread's CPU time
};

Run writeAndVerify(Clock& clock, const BusTiming& timing, const std::string& trace) {
    SimulatedDevices devices(clock, SimulatedDevices::Path::ParallelPort);
    PagerLink link(devices.port, clock, devices.programmer);
    link.timing() = timing;
    if (!trace.empty() && link.startTrace(trace)) return {};
    Image source = SimulatedPager::patternImage(29);
    TransferObserver quiet;
    const auto before = clock.nowMicros();
    const double cpuBefore = threadCpuSeconds();
    const TransferOutcome outcome =
        link.transfer(kChip24C16, 0, kWriteMode, source, TransferRoute{false, parallel_port::lpt1.base}, quiet);
    Run run{double(clock.nowMicros() - before) / 1e6, threadCpuSeconds() - cpuBefore};
    return outcome.result == TransferResult::VerifyOk ? run : Run{};
}

double best(const BusTiming& timing, const std::string& trace, bool cpu) {
    double seconds = 1e9;
    for (int round = 0; round < kRounds; ++round) {
        RealClock realClock;
        CostingClock costingClock;
        const Run run = cpu ? writeAndVerify(costingClock, timing, trace) : writeAndVerify(realClock, timing, trace);
        seconds = std::min(seconds, cpu ? run.cpuSeconds : run.clockSeconds);
    }
    return seconds;
}

}  // namespace
}  // namespace pagerprog

int main() {
    using namespace pagerprog;
    const std::string trace = "/tmp/pagerprog-trace-bench.vcd";
    bool ok = true;
    // The window's default timing, and standard-mode (100 kHz) timing, the fastest that
    // keeps its minimum times, where the trace's cost per access weighs most.
    const struct {
        const char* name;
        BusTiming timing;
    } timings[] = {{"default timing", BusTiming{6, 1, 1, 30, 0}}, {"standard-mode timing", BusTiming{6, 5, 1, 4, 0}}};
    for (const auto& [name, timing] : timings) {
        SimulatedClock virtualClock;
        const double required = writeAndVerify(virtualClock, timing, "").clockSeconds;
        const double cpuPlain = best(timing, "", true);
        const double cpuTraced = best(timing, trace, true);
        const double ratio = (required + cpuTraced - cpuPlain) / required;
        std::printf(
            "%s: timing values require %.3f s; host CPU untraced %.4f s, traced %.4f s; trace overhead ratio "
            "%.4f (%s)\n",
            name, required, cpuPlain, cpuTraced, ratio, ratio <= 1.10 ? "within 10%" : "OVER 10%");
        ok = ok && required > 0 && cpuPlain > 0 && cpuTraced > 0 && ratio <= 1.10;
    }
    const BusTiming timing{6, 5, 1, 4, 0};
    const double required = writeAndVerify(*std::make_unique<SimulatedClock>(), timing, "").clockSeconds;
    const double plain = best(timing, "", false);
    const double traced = best(timing, trace, false);
    std::printf(
        "wall clock, standard-mode timing, best of %d: untraced %.3f s (ratio %.4f to the timing values), traced "
        "%.3f s (ratio %.4f)\n",
        kRounds, plain, plain / required, traced, traced / required);
    std::remove(trace.c_str());
    return ok ? 0 : 1;
}
