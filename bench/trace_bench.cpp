// What a bus trace costs: a full write and verify of a simulated pager on the parallel
// port with the real clock, with and without a trace file, each measured against the time
// the bus timing values alone ask for (the same transfer on virtual time). A trace must
// not slow a transfer below its timing values by more than 10%. Each real-clock figure is
// the best of a few alternating runs, so that other work on the machine weighs less.
#include <algorithm>
#include <cstdio>
#include <string>

#include "link/clock.h"
#include "link/pager_link.h"
#include "link/sim/simulated_devices.h"
#include "settings/program_state.h"

namespace pagerprog {
namespace {

constexpr int kRounds = 3;

Image benchImage() {
    Image image{};
    for (std::size_t i = 0; i < kImageSize; ++i) image[i] = static_cast<std::uint8_t>(i * 29 + 3);
    image[kChecksumOffset] = imageChecksum(image);
    return image;
}

// Seconds for the write and its verify; the adapter's switch-on waits are left out so
// that the bus traffic is what is measured.
double writeAndVerify(Clock& clock, const BusTiming& timing, const std::string& trace) {
    SimulatedDevices devices(clock, SimulatedDevices::Path::ParallelPort);
    PagerLink link(devices.port, clock, devices.programmer);
    link.timing() = timing;
    if (!trace.empty() && link.startTrace(trace)) return -1;
    Image source = benchImage();
    TransferObserver quiet;
    const auto before = clock.nowMicros();
    const TransferOutcome outcome = link.transfer("16", 0, "w", source, TransferRoute{false, kLpt1Base}, quiet);
    const double seconds = double(clock.nowMicros() - before) / 1e6;
    return outcome.result == kVerifyOk ? seconds : -1;
}

}  // namespace
}  // namespace pagerprog

int main() {
    using namespace pagerprog;
    const std::string trace = "/tmp/pagerprog-trace-bench.vcd";
    bool ok = true;
    // The window's default timing, and standard-mode timing (the fastest the track bars allow
    // that keeps 100 kHz minimum times), where the per-access cost of the trace weighs most.
    const struct {
        const char* name;
        BusTiming timing;
    } timings[] = {{"default timing", BusTiming{6, 1, 1, 30, 0}}, {"standard-mode timing", BusTiming{6, 5, 1, 4, 0}}};
    for (const auto& [name, timing] : timings) {
        RealClock realClock;
        SimulatedClock virtualClock;
        const double required = writeAndVerify(virtualClock, timing, "");
        double plain = 1e9, traced = 1e9;
        for (int round = 0; round < kRounds; ++round) {
            plain = std::min(plain, writeAndVerify(realClock, timing, ""));
            traced = std::min(traced, writeAndVerify(realClock, timing, trace));
        }
        std::printf(
            "%s: timing values require %.3f s; untraced %.3f s (ratio %.4f); traced %.3f s (ratio %.4f); "
            "trace overhead ratio traced/untraced %.4f (%s)\n",
            name, required, plain, plain / required, traced, traced / required, traced / plain,
            traced / required <= 1.10 ? "within 10% of the timing values" : "OVER 10%");
        ok = ok && plain > 0 && traced > 0 && traced / required <= 1.10;
    }
    std::remove(trace.c_str());
    return ok ? 0 : 1;
}
