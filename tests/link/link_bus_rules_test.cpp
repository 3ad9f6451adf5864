// The stricter simulated 24C16: it notices SDA changing while SCL is high inside a byte or
// its acknowledge clock, checks the minimum times of a speed grade, and has the write cycle
// of the part it stands for. The old acknowledge clock (SCL raised while the master still
// drove its last bit) fails on it; the bus master's does not. Also acknowledge polling.
#include <gtest/gtest.h>

#include <set>

#include "context/context.h"
#include "link/adapter_wiring.h"
#include "link/bus_master.h"
#include "link/sim/simulated_devices.h"
#include "support/pager_rig.h"

namespace pagerprog {
namespace {

using namespace wiring;

// Drives the adapter's lines by hand, one register write per change, 10 us apart.
class HandMaster {
public:
    HandMaster(SimulatedPort& port, SimulatedClock& clock) : port_(port), clock_(clock) {
        port_.claim(parallel_port::lpt1.base);
        port_.writePort(parallel_port::lpt1.base + kControlRegister, 0x00);
        set(true, true);
    }
    void set(bool scl, bool sda) {
        port_.writePort(parallel_port::lpt1.base,
                        static_cast<std::uint8_t>(kSupplyAndEnable | (scl ? kSclOut : 0) | (sda ? kSdaOut : 0)));
        scl_ = scl;
        sda_ = sda;
        clock_.busyWaitMicros(10);
    }
    void start() {
        set(true, false);
        set(false, false);
    }
    void send(std::uint8_t value) {
        for (int bit = 7; bit >= 0; --bit) {
            set(false, (value >> bit) & 1);
            set(true, sda_);
            set(false, sda_);
        }
    }
    // As the master once did it: SCL up with the last bit still driven, then SDA released.
    bool oldAcknowledgeClock() {
        set(true, sda_);
        set(true, true);
        const bool acknowledged = (port_.readPort(parallel_port::lpt1.base + kStatusRegister) & kSdaIn) == 0;
        set(false, true);
        return acknowledged;
    }
    bool acknowledgeClock() {
        set(false, true);
        set(true, true);
        const bool acknowledged = (port_.readPort(parallel_port::lpt1.base + kStatusRegister) & kSdaIn) == 0;
        set(false, true);
        return acknowledged;
    }

private:
    SimulatedPort& port_;
    SimulatedClock& clock_;
    bool scl_ = true, sda_ = true;
};

struct ClockCase {
    const char* name;
    std::uint8_t control;  // 0xA0 is the chip's, 0x90 nobody's
    bool oldClock;
    bool acknowledged;
    std::vector<std::string> violations;
};

class AcknowledgeClockTest : public ::testing::TestWithParam<ClockCase> {};

TEST_P(AcknowledgeClockTest, OnlyTheOldClockOfAnUnansweredByteBreaksTheRules) {
    SimulatedClock clock;
    SimulatedDevices devices(clock, SimulatedDevices::Path::ParallelPort);
    HandMaster master(devices.port, clock);
    master.start();
    master.send(GetParam().control);
    EXPECT_EQ(GetParam().oldClock ? master.oldAcknowledgeClock() : master.acknowledgeClock(), GetParam().acknowledged);
    std::vector<std::string> seen;
    for (const auto& violation : devices.chip.violations()) seen.push_back(violation.what);
    EXPECT_EQ(seen, GetParam().violations);
}

INSTANTIATE_TEST_SUITE_P(Clocks, AcknowledgeClockTest,
                         ::testing::Values(ClockCase{"OldClockUnanswered",
                                                     0x90,
                                                     true,
                                                     false,
                                                     {"SDA rose while SCL was high in clock 9 of the acknowledge"}},
                                           ClockCase{"OldClockAnswered", 0xA0, true, true, {}},
                                           ClockCase{"ClockUnanswered", 0x90, false, false, {}},
                                           ClockCase{"ClockAnswered", 0xA0, false, true, {}}),
                         [](const auto& info) { return std::string(info.param.name); });

// With the default timing SCL stays high for 1 us only: too short for standard mode, which
// wants 4.0 us high and 4.7 us before a repeated start, but within fast mode's 0.6 us.
const BusTiming kDefaultTiming{};
const BusTiming kStandardModeTiming{6, 5, 1, 4, 0};

struct GradeCase {
    const char* name;
    SpeedGrade grade;
    BusTiming timing;
    std::set<std::string> rules;
};

class SpeedGradeTest : public ::testing::TestWithParam<GradeCase> {};

TEST_P(SpeedGradeTest, FlagsEveryTimeTheTimingCutsShort) {
    testing::PagerRig rig{SimulatedDevices::Path::ParallelPort};
    rig.link.timing() = GetParam().timing;
    rig.devices.chip.checkTiming(GetParam().grade);
    const std::int64_t begin = rig.clock.nowMicros();
    Image source = SimulatedPager::patternImage(11);
    ASSERT_EQ(rig.transfer(kChip24C16, 0, kWriteMode, source), TransferResult::VerifyOk);
    std::set<std::string> rules;
    for (const auto& violation : rig.devices.chip.violations()) {
        rules.insert(violation.what.substr(0, violation.what.find(' ')));
        EXPECT_GE(violation.atMicros, begin);
        EXPECT_LE(violation.atMicros, rig.clock.nowMicros());
    }
    EXPECT_EQ(rules, GetParam().rules);
}

INSTANTIATE_TEST_SUITE_P(
    Grades, SpeedGradeTest,
    ::testing::Values(
        GradeCase{"StandardModeDefaultTiming", SpeedGrade::Standard, kDefaultTiming, {"tHIGH", "tSU;STA", "tSU;STO"}},
        GradeCase{"FastModeDefaultTiming", SpeedGrade::Fast, kDefaultTiming, {}},
        GradeCase{"StandardModeItsTiming", SpeedGrade::Standard, kStandardModeTiming, {}},
        GradeCase{"FastModeNoDataHold", SpeedGrade::Fast, BusTiming{6, 1, 1, 0, 0}, {"tHD;STA", "tLOW", "tSU;DAT"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SpeedGrade, ViolationSaysWhatAndWhen) {
    SimulatedClock clock;
    SimulatedDevices devices(clock, SimulatedDevices::Path::ParallelPort);
    devices.chip.checkTiming(SpeedGrade::Standard);
    HandMaster master(devices.port, clock);  // 10 us per change: every time is met
    master.start();
    master.send(0xA0);
    master.acknowledgeClock();
    ASSERT_TRUE(devices.chip.violations().empty());
    devices.port.writePort(parallel_port::lpt1.base,
                           kSupplyAndEnable);  // SDA down, then SCL up, then SDA up 2 us later: a stop
    clock.busyWaitMicros(10);
    devices.port.writePort(parallel_port::lpt1.base, kSupplyAndEnable | kSclOut);
    clock.busyWaitMicros(2);
    devices.port.writePort(parallel_port::lpt1.base, kSupplyAndEnable | kSclOut | kSdaOut);
    ASSERT_EQ(devices.chip.violations().size(), 1u);
    EXPECT_EQ(devices.chip.violations()[0].what, "tSU;STO 2.000 us, below the 4.000 us minimum");
    EXPECT_EQ(devices.chip.violations()[0].atMicros, clock.nowMicros());
}

// A slower part with the bus-free wait fails outright; acknowledge polling waits for it.
struct CycleCase {
    const char* name;
    unsigned writeCycleMs;
    unsigned busFreeMs;
    bool polling;
    TransferResult result;
};

class WriteCycleTest : public ::testing::TestWithParam<CycleCase> {};

TEST_P(WriteCycleTest, PagesLandOnlyWhenTheMasterWaitsOutTheCycle) {
    testing::PagerRig rig{SimulatedDevices::Path::ParallelPort};
    rig.devices.chip.setWriteCycleMillis(GetParam().writeCycleMs);
    rig.link.timing().busFreeMs = GetParam().busFreeMs;
    rig.link.timing().acknowledgePolling = GetParam().polling;
    const Image image = SimulatedPager::patternImage(11);
    Image source = image;
    EXPECT_EQ(rig.transfer(kChip24C16, 0, kWriteMode, source), GetParam().result);
    EXPECT_EQ(rig.devices.pager.memory == image, GetParam().result == TransferResult::VerifyOk);
    EXPECT_TRUE(rig.devices.chip.violations().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Parts, WriteCycleTest,
    ::testing::Values(CycleCase{"Fast2msPart", 2, 6, false, TransferResult::VerifyOk},
                      CycleCase{"Usual5msPart", 5, 6, false, TransferResult::VerifyOk},
                      CycleCase{"Slow10msPartBusFreeWait", 10, 6, false, TransferResult::WriteFailed},
                      CycleCase{"Slow10msPartPolled", 10, 6, true, TransferResult::VerifyOk},
                      CycleCase{"Usual5msPartPolledTinyBusFree", 5, 1, true, TransferResult::VerifyOk}),
    [](const auto& info) { return std::string(info.param.name); });

// Polling stops after its limit and the next page goes ahead, to find the chip still busy.
TEST(AcknowledgePolling, GivesUpAfter25Milliseconds) {
    testing::PagerRig rig{SimulatedDevices::Path::ParallelPort};
    rig.devices.chip.setWriteCycleMillis(100);
    rig.link.timing().acknowledgePolling = true;
    BusMaster& bus = rig.link.bus();
    bus.setChip(*findChip(16));
    ASSERT_FALSE(bus.adapterOn(parallel_port::lpt1.base));
    const Image image = SimulatedPager::patternImage(11);
    const std::int64_t begin = rig.clock.nowMicros();
    EXPECT_TRUE(bus.writePage(0, 0, image, 0));
    const std::int64_t polled = rig.clock.nowMicros() - begin;
    EXPECT_FALSE(bus.writePage(0, 16, image, 16));
    bus.adapterOff();
    // The page itself takes about 5.3 ms with the default timing, a poll 0.4 ms.
    EXPECT_GE(polled, 25000);
    EXPECT_LT(polled, 25000 + 6000);
}

}  // namespace
}  // namespace pagerprog
