// A full write and verify of a simulated pager on each path with the real clock:
// the measured time, the time the bus timing values alone ask for (the same transfer
// on virtual time), their ratio, and the host time per USB exchange.
#include <cstdio>

#include "app/pager/pager_transfer.h"
#include "app/pager/programmer_presence.h"
#include "context/context.h"
#include "link/clock.h"
#include "link/pager_link.h"
#include "link/sim/simulated_devices.h"

namespace pagerprog {
namespace {

// Message boxes would tell why a transfer failed; nothing else is shown.
class QuietHost : public Host {
public:
    void messageBox(const std::string& text) override { std::printf("message box: %s\n", text.c_str()); }
};

struct Run {
    TransferResult result = TransferResult::TransferFailed;
    double seconds = 0;
    long exchanges = 0;
};

Run writeAndVerify(Clock& clock, SimulatedDevices::Path path) {
    QuietHost host;
    Context context(host);
    SimulatedDevices devices(clock, path);
    PagerLink link(devices.port, clock, devices.programmer);
    ProgrammerPresence presence(context, link);
    link.hid().start();
    Image source = SimulatedPager::patternImage(31);
    // Real time on the real clock, exactly the requested waits on the simulated one.
    const auto before = clock.nowMicros();
    Run run;
    run.result = transferPager(context, link, kChip24C16, 0, kWriteMode, source).result;
    run.seconds = double(clock.nowMicros() - before) / 1e6;
    run.exchanges = devices.programmer.chunks();
    return run;
}

}  // namespace
}  // namespace pagerprog

int main() {
    using namespace pagerprog;
    const BusTiming timing;
    std::printf(
        "bus timing: bus free %u ms, SCL high %u us, SCL low %u us, SDA hold %u us, supply settle %u x 500 ms\n",
        timing.busFreeMs, timing.sclHighUs, timing.sclLowUs, timing.sdaHoldUs, timing.supplySettle);

    RealClock realClock;
    SimulatedClock virtualClock;
    const auto required = writeAndVerify(virtualClock, SimulatedDevices::Path::ParallelPort);
    const auto measured = writeAndVerify(realClock, SimulatedDevices::Path::ParallelPort);
    const double ratio = measured.seconds / required.seconds;
    std::printf(
        "parallel port write+verify: result %d, measured %.3f s, timing values require %.3f s, ratio %.4f (%s)\n",
        static_cast<int>(measured.result), measured.seconds, required.seconds, ratio,
        ratio <= 1.05 ? "within 5%" : "OVER 5%");

    const auto usb = writeAndVerify(realClock, SimulatedDevices::Path::UsbProgrammer);
    std::printf(
        "USB write+verify: result %d, measured %.6f s, timing values require 0 s (no bus waits), "
        "%ld exchanges, %.2f us host time per exchange\n",
        static_cast<int>(usb.result), usb.seconds, usb.exchanges, usb.seconds * 1e6 / double(usb.exchanges));
    return measured.result == TransferResult::VerifyOk && usb.result == TransferResult::VerifyOk ? 0 : 1;
}
