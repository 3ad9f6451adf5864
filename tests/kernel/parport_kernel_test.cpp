// The real PpdevPort, bus master and transfer engine on the fake kernel's /dev/parport0,
// with the passive adapter and the pager's 24C16 on the connector: whole transfers, the
// register bits as the PC hardware maps the pins, and a port that is refused, held by
// another program or removed in the middle of a transfer.
#include <chrono>
#include <functional>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "app/pager/pager_transfer.h"
#include "app/probe/probe.h"
#include "app/probe/probe_text.h"
#include "context/context.h"
#include "kernel_test.h"
#include "link/backend/hidapi_backend.h"
#include "link/backend/ppdev_port.h"
#include "link/clock.h"
#include "link/pager_link.h"
#include "link/transfer_engine.h"
#include "support/i2c_decode.h"
#include "support/recording_host.h"

namespace pagerprog {
namespace {

using namespace kernel_test;

constexpr std::uint16_t kData = parallel_port::lpt1.base + kDataRegister;
constexpr std::uint16_t kStatus = parallel_port::lpt1.base + kStatusRegister;
constexpr std::uint16_t kControl = parallel_port::lpt1.base + kControlRegister;

// A backend that got an inversion wrong: it flips register bits on their way through.
class MisreadingPort : public PortAccess {
public:
    MisreadingPort(PortAccess& port, std::uint8_t statusFlips, std::uint8_t controlFlips)
        : port_(port), statusFlips_(statusFlips), controlFlips_(controlFlips) {}

    std::optional<std::string> claim(std::uint16_t base) override {
        base_ = base;
        return port_.claim(base);
    }
    void release() override { port_.release(); }
    std::uint8_t readPort(std::uint16_t port) override {
        return static_cast<std::uint8_t>(port_.readPort(port) ^ flips(port));
    }
    void writePort(std::uint16_t port, std::uint8_t value) override {
        port_.writePort(port,
                        static_cast<std::uint8_t>(value ^ (port == base_ + kControlRegister ? controlFlips_ : 0)));
    }
    void shutDown() override { port_.shutDown(); }
    std::string deviceName(std::uint16_t base) const override { return port_.deviceName(base); }

private:
    std::uint8_t flips(std::uint16_t port) const {
        if (port == base_ + kStatusRegister) return statusFlips_;
        return port == base_ + kControlRegister ? controlFlips_ : 0;
    }

    PortAccess& port_;
    std::uint8_t statusFlips_;
    std::uint8_t controlFlips_;
    std::uint16_t base_ = 0;
};

// The link as the window builds it on the real devices, with no programmer plugged in
// (so transfers take the parallel port) and a fast bus the adapter's chip keeps up with.
struct ParallelRig {
    explicit ParallelRig(std::uint8_t statusFlips = 0, std::uint8_t controlFlips = 0)
        : misreading(ppdev, statusFlips, controlFlips),
          link((statusFlips | controlFlips) != 0 ? static_cast<PortAccess&>(misreading) : ppdev, clock, hid) {
        link.timing().sdaHoldUs = 2;
        link.timing().supplySettle = 0;
    }

    testing::RecordingHost host;
    Context context{host};
    RealClock clock;
    PpdevPort ppdev;
    MisreadingPort misreading;
    HidapiBackend hid;
    PagerLink link;

    TransferResult transfer(std::string_view mode, Image& buffer) {
        return transferPager(context, link, kChip24C16, 0, mode, buffer).result;
    }
};

using ParportKernelTest = KernelTest;

TEST_F(ParportKernelTest, WritesVerifiesAndReadsBackAWholePager) {
    fake_parport_attach(1);
    ParallelRig rig;
    writeVerifyAndReadBack(rig, 29);
    EXPECT_TRUE(rig.host.logLines.empty());
    EXPECT_EQ(fake_parport_pin(5), 0) << "supply off after the transfer";
    EXPECT_EQ(fake_parport_pin(16), 1) << "enable off after the transfer";
}

TEST_F(ParportKernelTest, RegistersCarryThePcBitsOfThePins) {
    fake_parport_attach(1);
    PpdevPort port;
    ASSERT_FALSE(port.claim(parallel_port::lpt1.base));
    EXPECT_EQ(port.readPort(kControl), 0x0C) << "a claim restores the control state a device starts with";

    // Control bits 0, 1 and 3 drive their pins inverted, bit 2 (/INIT) does not; the driver
    // keeps and returns only those four bits.
    struct ControlCase {
        std::uint8_t written;
        int pin1, pin14, pin16, pin17;
    };
    for (const auto& c :
         {ControlCase{0x00, 1, 1, 0, 1}, ControlCase{0x01, 0, 1, 0, 1}, ControlCase{0x02, 1, 0, 0, 1},
          ControlCase{0x04, 1, 1, 1, 1}, ControlCase{0x08, 1, 1, 0, 0}, ControlCase{0xDF, 0, 0, 1, 0}}) {
        port.writePort(kControl, c.written);
        EXPECT_EQ(port.readPort(kControl), c.written & 0x0F) << int{c.written};
        EXPECT_EQ(fake_parport_pin(1), c.pin1) << int{c.written};
        EXPECT_EQ(fake_parport_pin(14), c.pin14) << int{c.written};
        EXPECT_EQ(fake_parport_pin(16), c.pin16) << int{c.written};
        EXPECT_EQ(fake_parport_pin(17), c.pin17) << int{c.written};
    }

    port.writePort(kData, 0xA5);
    EXPECT_EQ(port.readPort(kData), 0xA5);
    for (int bit = 0; bit < 8; ++bit) EXPECT_EQ(fake_parport_pin(2 + bit), (0xA5 >> bit) & 1) << bit;

    // Status: SDA comes back on pin 10 (/ACK, bit 6) as it is; BUSY (pin 11, floating high)
    // reads inverted as 0; the other open inputs read 1, and so do the bits without a pin.
    port.writePort(kData, 0x04);
    EXPECT_EQ(port.readPort(kStatus), 0x7F);
    port.writePort(kData, 0x00);
    EXPECT_EQ(port.readPort(kStatus), 0x3F);
    port.release();
}

struct Inversion {
    const char* name;
    std::uint8_t statusFlips, controlFlips;
};

void PrintTo(const Inversion& inversion, std::ostream* out) { *out << inversion.name; }

class WrongInversion : public KernelTest, public ::testing::WithParamInterface<Inversion> {};

TEST_P(WrongInversion, MovesNothing) {
    fake_parport_attach(1);
    const Image before = pagerMemory();
    ParallelRig rig(GetParam().statusFlips, GetParam().controlFlips);
    Image source = SimulatedPager::patternImage(3);
    EXPECT_EQ(rig.transfer(kWriteMode, source), TransferResult::WriteFailed);
    Image buffer{};
    EXPECT_EQ(rig.transfer(kReadMode, buffer), TransferResult::TransferFailed);
    EXPECT_EQ(pagerMemory(), before);
}

INSTANTIATE_TEST_SUITE_P(Backends, WrongInversion,
                         ::testing::Values(Inversion{"AckTakenAsInverted", 0x40, 0x00},
                                           Inversion{"InitTakenAsInverted", 0x00, 0x04}),
                         [](const auto& info) { return std::string(info.param.name); });

struct Refusal {
    const char* name;
    std::function<void()> scene;
    const char* reason;
};

void PrintTo(const Refusal& refusal, std::ostream* out) { *out << refusal.name; }

class RefusedPort : public KernelTest, public ::testing::WithParamInterface<Refusal> {};

TEST_P(RefusedPort, FailsAtOnceWithTheSystemsReason) {
    GetParam().scene();
    const Image before = pagerMemory();
    ParallelRig rig;
    Image buffer = SimulatedPager::patternImage(7);
    EXPECT_EQ(rig.transfer(kWriteMode, buffer), TransferResult::WriteFailed);
    EXPECT_EQ(rig.transfer(kReadMode, buffer), TransferResult::TransferFailed);
    const std::string line = std::string("Cannot use the parallel port /dev/parport0: ") + GetParam().reason;
    EXPECT_EQ(rig.host.logLines, (std::vector<std::string>{line, line}));
    EXPECT_EQ(rig.host.progressSteps, 0);
    EXPECT_EQ(pagerMemory(), before);
}

INSTANTIATE_TEST_SUITE_P(Scenes, RefusedPort,
                         ::testing::Values(Refusal{"NoPort", [] {}, "No such file or directory"},
                                           Refusal{"NodeModeRefusesTheUser", [] { fake_parport_attach(0); },
                                                   "Permission denied"},
                                           Refusal{"HeldExclusivelyByAnotherProgram",
                                                   [] {
                                                       fake_parport_attach(1);
                                                       fake_parport_hold_exclusively();
                                                   },
                                                   "No such device or address"}),
                         [](const auto& info) { return std::string(info.param.name); });

// ppdev's claim does not fail on a port another program has claimed: it sleeps until that
// program lets go, whatever the open flags say. A short wait is waited out...
TEST_F(ParportKernelTest, ClaimOfAPortAnotherProgramHoldsWaitsForIt) {
    fake_parport_attach(1);
    fake_parport_hold_for_ms(300);
    ParallelRig rig;
    const auto start = std::chrono::steady_clock::now();
    Image buffer{};
    EXPECT_EQ(rig.transfer(kReadMode, buffer), TransferResult::ReadDone);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(300));
    EXPECT_EQ(buffer, pagerMemory());
}

// ...a long one is given up with a line saying so; the claim given up on takes the port when
// the other program lets go, and gives it back at once.
TEST_F(ParportKernelTest, ClaimOfAPortHeldTooLongIsGivenUpAndLetGoLater) {
    fake_parport_attach(1);
    fake_parport_hold_for_ms(1200);
    PpdevPort port(std::chrono::milliseconds(200));
    const auto start = std::chrono::steady_clock::now();
    const auto error = port.claim(parallel_port::lpt1.base);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1000));
    ASSERT_TRUE(error);
    EXPECT_EQ(*error, "Cannot use the parallel port /dev/parport0: another program has held it for 200 ms.");
    EXPECT_EQ(port.lastClaimProblem(), ClaimProblem::Busy);

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (fake_parport_open_files() != 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_EQ(fake_parport_open_files(), 0) << "the late claim let the port go";
    EXPECT_FALSE(port.claim(parallel_port::lpt1.base));
    port.release();
}

// A removed port answers every register read with 0 and no error. At switch-on the data
// register must read back what was written, or the transfer stops there.
TEST_F(ParportKernelTest, PortRemovedBeforeTheSwitchOnFailsWithAClearLine) {
    for (const long accesses : {0L, 3L}) {
        fake_kernel_reset();
        fake_parport_attach(1);
        fake_parport_vanish_after(accesses);
        ParallelRig rig;
        const Image before = pagerMemory();
        Image source = SimulatedPager::patternImage(19);
        EXPECT_EQ(rig.transfer(kWriteMode, source), TransferResult::WriteFailed) << accesses;
        EXPECT_EQ(rig.host.logLines,
                  std::vector<std::string>{"The parallel port at 0x378 does not keep what is written "
                                           "to it: no port there, or it was removed."})
            << accesses;
        EXPECT_EQ(pagerMemory(), before);
    }
}

// Removed later, during a transfer, the bus master sees each acknowledge and reads zeros:
// only the node, gone with the port, tells a removed port from a pager of zeros.
TEST_F(ParportKernelTest, PortRemovedDuringATransferIsNamed) {
    for (const std::string_view mode : {kReadMode, kWriteMode}) {
        fake_kernel_reset();
        fake_parport_attach(1);
        fake_parport_vanish_after(mode == kReadMode ? 40000 : 50000);
        ParallelRig rig;
        Image buffer = SimulatedPager::patternImage(11);
        const TransferOutcome outcome = transferPager(rig.context, rig.link, kChip24C16, 0, mode, buffer);
        EXPECT_EQ(outcome.removedPort, "/dev/parport0") << mode;
        EXPECT_EQ(outcome.result, mode == kReadMode ? TransferResult::ReadDone : TransferResult::VerifyDiffers);
        EXPECT_NE(buffer, pagerMemory()) << "read: zeros; write: the pager kept old bytes";
    }
    ParallelRig rig;
    Image source = SimulatedPager::patternImage(11);
    EXPECT_EQ(rig.transfer(kWriteMode, source), TransferResult::WriteFailed) << "the node has gone";
    EXPECT_EQ(rig.host.logLines.back(), "Cannot use the parallel port /dev/parport0: No such file or directory");
    fake_kernel_reset();
    fake_parport_attach(1);
    ParallelRig intact;
    EXPECT_EQ(transferPager(intact.context, intact.link, kChip24C16, 0, kReadMode, source).removedPort, "");
}

// The real backend's trace shows the chip's SDA only through the status reads; sigrok's
// decoder still finds every byte written and read in it.
TEST_F(ParportKernelTest, TraceOfTheRealPortDecodesToTheBytesMoved) {
    fake_parport_attach(1);
    ParallelRig rig;
    const std::string path = ::testing::TempDir() + "real-port.vcd";
    ASSERT_FALSE(rig.link.startTrace(path));
    const Image image = SimulatedPager::patternImage(23);
    Image source = image;
    ASSERT_EQ(rig.transfer(kWriteMode, source), TransferResult::VerifyOk);
    rig.link.stopTrace();

    const auto decode = testing::decodeI2c(path);
    EXPECT_EQ(decode.status, 0);
    EXPECT_EQ(decode.errors, "");
    const auto traffic = testing::chipTraffic(decode.annotations);
    ASSERT_EQ(traffic.stored.size(), kImageSize);
    for (const auto& [address, byte] : traffic.stored) EXPECT_EQ(byte, image[address]) << address;
    EXPECT_EQ(traffic.read, std::vector<std::uint8_t>(image.begin(), image.end()));
    std::remove(path.c_str());
}

// The probe through the real backends: a port this user may not open gets the lp group fix.
TEST_F(ParportKernelTest, ProbeTellsWhatTheRealPortsAllow) {
    struct Case {
        int accessible;
        ProbeOutcome outcome;
        const char* line;
    };
    for (const Case& c :
         {Case{1, ProbeOutcome::PagerAnswered, "  blocks acknowledging (of 0 to 7): 0 1 2 3 4 5 6 7"},
          Case{0, ProbeOutcome::NothingUsable,
               "    fix: Add the user to the lp group (sudo usermod -aG lp $USER) and log in again."}}) {
        fake_kernel_reset();
        fake_parport_attach(c.accessible);
        ParallelRig rig;
        rig.link.hid().start();
        const ProbeReport report = probeDevices(rig.link, std::nullopt);
        EXPECT_EQ(report.outcome, c.outcome);
        const auto lines = probeText(report);
        EXPECT_NE(std::find(lines.begin(), lines.end(), c.line), lines.end()) << c.line;
    }
}

}  // namespace
}  // namespace pagerprog
