// The parallel-port path against the bit-level 24C16: exact bus traffic, exact time the
// bus timing asks for, acknowledges, page writes and the adapter's state afterwards.
#include <gtest/gtest.h>

#include <numeric>

#include "app/document/application.h"
#include "app/document/port_selection.h"
#include "app/pager/pager_commands.h"
#include "context/context.h"
#include "link/bus_master.h"
#include "link/clock.h"
#include "link/pager_link.h"
#include "link/sim/bus_analyzer.h"
#include "link/sim/simulated_devices.h"
#include "support/pager_rig.h"

namespace pagerprog {
namespace {

using Kind = BusAnalyzer::Event::Kind;

class ParallelPortTest : public ::testing::Test {
protected:
    ParallelPortTest() { link.hid().start(); }

    // A valid image that differs from the pager's factory image in every page.
    static Image distinctImage() {
        Image image{};
        for (std::size_t i = 0; i < kImageSize; ++i) image[i] = static_cast<std::uint8_t>(i * 7 + 3);
        image[kChecksumOffset] = imageChecksum(image);
        return image;
    }

    std::vector<std::string> traffic() const {
        std::vector<std::string> out;
        for (const auto& event : analyzer.events) out.push_back(BusAnalyzer::text(event));
        return out;
    }

    TransferResult transfer(std::string_view mode, Image& buffer) { return rig.transfer(kChip24C16, 0, mode, buffer); }

    testing::PagerRig rig{SimulatedDevices::Path::ParallelPort};
    testing::RecordingHost& host = rig.host;
    Context& context = rig.context;
    SimulatedClock& clock = rig.clock;
    SimulatedDevices& devices = rig.devices;
    PagerLink& link = rig.link;
    BusAnalyzer analyzer{devices.port};
};

TEST_F(ParallelPortTest, WholeReadSendsAddressPhaseThenClocks2048BytesWithOneFinalNoAcknowledge) {
    Image buffer{};
    ASSERT_EQ(transfer(kReadMode, buffer), TransferResult::ReadDone);
    EXPECT_EQ(buffer, devices.pager.memory);

    const auto t = traffic();
    ASSERT_EQ(t.size(), 6u + 2048 + 2);
    EXPECT_EQ(std::vector<std::string>(t.begin(), t.begin() + 7),
              (std::vector<std::string>{"P", "S", "A0+", "00+", "S", "A1+",
                                        BusAnalyzer::text({Kind::Byte, buffer[0], true})}));
    int acknowledged = 0, refused = 0;
    for (std::size_t i = 6; i < 6 + 2048; ++i) {
        const auto& event = analyzer.events[i];
        ASSERT_EQ(event.kind, Kind::Byte);
        EXPECT_EQ(event.value, buffer[i - 6]);
        (event.acknowledged ? acknowledged : refused) += 1;
    }
    EXPECT_EQ(acknowledged, 2047);
    EXPECT_EQ(refused, 1);
    EXPECT_FALSE(analyzer.events[6 + 2047].acknowledged);
    EXPECT_EQ(std::vector<std::string>(t.end() - 2, t.end()),
              (std::vector<std::string>{"P", "P"}));  // read, adapter off
    EXPECT_EQ(host.progressSteps, 3 + 2048);          // control, address and read-control bytes count too
}

TEST_F(ParallelPortTest, WholeWriteSends128PagesOf16BytesEachWithItsAddressPhase) {
    const Image image = distinctImage();
    Image source = image;
    ASSERT_EQ(transfer(kWriteMode, source), TransferResult::VerifyOk);
    EXPECT_EQ(devices.pager.memory, image);
    EXPECT_EQ(source, image);

    const auto& events = analyzer.events;
    std::size_t at = 1;  // after the adapter's stop
    for (unsigned page = 0; page < 128; ++page) {
        const unsigned address = page * 16;
        ASSERT_EQ(events[at++].kind, Kind::Start) << "page " << page;
        EXPECT_EQ(events[at++],
                  (BusAnalyzer::Event{Kind::Byte, static_cast<std::uint8_t>(0xA0 | ((address >> 8) << 1)), true}));
        EXPECT_EQ(events[at++], (BusAnalyzer::Event{Kind::Byte, static_cast<std::uint8_t>(address & 0xFF), true}));
        for (unsigned i = 0; i < 16; ++i)
            EXPECT_EQ(events[at++], (BusAnalyzer::Event{Kind::Byte, image[address + i], true}));
        ASSERT_EQ(events[at++].kind, Kind::Stop);
    }
    // Then the verify pass reads everything back.
    EXPECT_EQ(BusAnalyzer::text(events[at]), "S");
    EXPECT_EQ(BusAnalyzer::text(events[at + 1]), "A0+");
    EXPECT_EQ(host.progressCaptionText, kVerifyCaption);
    EXPECT_EQ(host.progressSteps, 128 * 18 + 3 + 2048);
}

// Time every line, bus and memory operation asks for, summed by hand.
struct Costs {
    std::int64_t h, l, d;
    std::int64_t start() const { return 2 * d + h + l; }
    std::int64_t stop() const { return 2 * d + h + l; }
    std::int64_t send() const { return 8 * (d + h + l); }
    std::int64_t ack() const { return h + d + l; }
    std::int64_t receive() const { return 8 * (2 * d + h + l); }
    std::int64_t masterAck() const { return 2 * d + h + l; }
    std::int64_t masterNoAck() const { return d + h + l; }
};

TEST_F(ParallelPortTest, WaitsAreExactlyWhatTheTimingValuesAsk) {
    link.timing() = BusTiming{7, 2, 3, 5, 2};
    const Costs c{2, 3, 5};
    const std::int64_t ms = 1000;
    const std::int64_t adapterOn = 2 * 500 * ms + c.stop() + 200 * ms;
    const std::int64_t adapterOff = c.stop() + c.d + c.l;
    const std::int64_t wholeRead = c.start() + 2 * (c.send() + c.ack()) + c.start() + c.send() + c.ack() +
                                   2048 * c.receive() + 2047 * c.masterAck() + c.masterNoAck() + c.stop() + 7 * ms;
    Image buffer{};
    auto before = clock.nowMicros();
    ASSERT_EQ(transfer(kReadMode, buffer), TransferResult::ReadDone);
    EXPECT_EQ(clock.nowMicros() - before, adapterOn + wholeRead + adapterOff);

    const std::int64_t page = c.start() + 18 * (c.send() + c.ack()) + c.stop() + 7 * ms;
    before = clock.nowMicros();
    ASSERT_EQ(transfer(kWriteMode, buffer), TransferResult::VerifyOk);
    EXPECT_EQ(clock.nowMicros() - before, adapterOn + 128 * page + 10 * ms + wholeRead + adapterOff);
}

TEST_F(ParallelPortTest, BusFreeShorterThanTheWriteCycleLosesTheNextPage) {
    // No acknowledge polling: the bus-free sleep is the only wait for the write cycle.
    link.timing().busFreeMs = 4;
    Image source = distinctImage();
    EXPECT_EQ(transfer(kWriteMode, source), TransferResult::WriteFailed);
    EXPECT_TRUE(std::equal(source.begin(), source.begin() + 16, devices.pager.memory.begin()));
    EXPECT_FALSE(std::equal(source.begin() + 16, source.begin() + 32, devices.pager.memory.begin() + 16));
}

TEST_F(ParallelPortTest, MissingAcknowledgeInPage5ReturnsZeroWithPages0To4WrittenAndAdapterOff) {
    const Image old = devices.pager.memory;
    const Image image = distinctImage();
    Image source = image;
    devices.chip.missAcknowledgeAt(5 * 18 + 2);  // the first data byte of page 5
    EXPECT_EQ(transfer(kWriteMode, source), TransferResult::WriteFailed);
    EXPECT_EQ(source, image);
    EXPECT_TRUE(std::equal(image.begin(), image.begin() + 5 * 16, devices.pager.memory.begin()));
    EXPECT_TRUE(std::equal(old.begin() + 5 * 16, old.end(), devices.pager.memory.begin() + 5 * 16));
    // Adapter off: supply and enable clear, control bit 2 set, both lines low, port released.
    EXPECT_EQ(devices.port.data() & 0x8E, 0);
    EXPECT_EQ(devices.port.control() & 0x04, 0x04);
    EXPECT_FALSE(devices.port.claimed());
    EXPECT_EQ(devices.port.claims, devices.port.releases);
    EXPECT_NE(host.progressCaptionText, kVerifyCaption);  // no read-back
}

TEST_F(ParallelPortTest, UnacknowledgedControlByteWithAcknowledgedAddressByteCountsAsSuccess) {
    devices.port.sdaInputStuckHighAt(0);  // the control byte's acknowledge reads as missing
    Image buffer{};
    EXPECT_EQ(transfer(kReadMode, buffer), TransferResult::ReadDone);
    EXPECT_EQ(buffer, devices.pager.memory);
}

TEST_F(ParallelPortTest, UnacknowledgedLastAddressByteFailsTheRead) {
    devices.port.sdaInputStuckHighAt(1);
    Image buffer{};
    EXPECT_EQ(transfer(kReadMode, buffer), TransferResult::TransferFailed);
    EXPECT_FALSE(devices.port.claimed());
}

TEST_F(ParallelPortTest, NothingConnectedFailsAtTheFirstAcknowledge) {
    devices.port.attach(nullptr);
    Image buffer{};
    EXPECT_EQ(transfer(kReadMode, buffer), TransferResult::TransferFailed);
    EXPECT_EQ(transfer(kWriteMode, buffer), TransferResult::WriteFailed);
    EXPECT_TRUE(host.logLines.empty());    // the workflows word these failures
    EXPECT_EQ(host.progressSteps, 2 + 2);  // read: control and address; write: page 0's two
}

TEST_F(ParallelPortTest, PortThatCannotBeClaimedFailsWithOneLogLineAndTouchesNothing) {
    devices.port.failClaim("Cannot use the parallel port /dev/parport0: Permission denied");
    Image buffer{};
    EXPECT_EQ(transfer(kReadMode, buffer), TransferResult::TransferFailed);
    EXPECT_EQ(host.logLines, std::vector<std::string>{"Cannot use the parallel port /dev/parport0: Permission denied"});
    EXPECT_EQ(transfer(kWriteMode, buffer), TransferResult::WriteFailed);
    EXPECT_EQ(host.logLines.size(), 2u);
    EXPECT_EQ(devices.port.accessesOutsideClaim, 0);
    EXPECT_EQ(devices.port.data(), 0);
    EXPECT_EQ(host.progressSteps, 0);
}

TEST_F(ParallelPortTest, TransferUsesTheChosenPortBase) {
    context.program.portBase = parallel_port::lpt2.base;
    Image buffer{};
    EXPECT_EQ(transfer(kReadMode, buffer), TransferResult::ReadDone);
    EXPECT_EQ(devices.port.accessesOutsideClaim, 0);
}

TEST_F(ParallelPortTest, FlippedBitOnReadBackReturnsOneWithSourceUnchanged) {
    devices.pager.flipOnRead(0x123, 0x10);
    const Image image = distinctImage();
    Image source = image;
    EXPECT_EQ(transfer(kWriteMode, source), TransferResult::VerifyDiffers);
    EXPECT_EQ(source, image);
    EXPECT_EQ(devices.pager.memory, image);
}

TEST_F(ParallelPortTest, TrackBarsSetTheTimingOfTheNextTransfer) {
    Application app(host);
    PagerCommands commands(app, link);
    app.model().userLevel("TrackBar1", 9);
    app.model().userLevel("TrackBar2", 2);
    app.model().userLevel("TrackBar3", 3);
    app.model().userLevel("TrackBar4", 44);
    EXPECT_EQ(link.timing().busFreeMs, 9u);
    EXPECT_EQ(link.timing().sclHighUs, 2u);
    EXPECT_EQ(link.timing().sclLowUs, 3u);
    EXPECT_EQ(link.timing().sdaHoldUs, 44u);
    EXPECT_EQ(link.timing().supplySettle, 1u);
}

TEST_F(ParallelPortTest, PortMenuChoosesTheBaseAndItsCheckMark) {
    LPT21Click(context.model, context.program);
    EXPECT_EQ(context.program.portBase, parallel_port::lpt2.base);
    EXPECT_TRUE(context.model.element(element::lpt2).checked);
    EXPECT_FALSE(context.model.element(element::lpt1).checked);
    LPT11Click(context.model, context.program);
    EXPECT_EQ(context.program.portBase, parallel_port::lpt1.base);
    EXPECT_TRUE(context.model.element(element::lpt1).checked);
    EXPECT_FALSE(context.model.element(element::lpt2).checked);
}

TEST_F(ParallelPortTest, ExitShutsThePortAccessDown) {
    link.exit();
    EXPECT_EQ(devices.port.shutDowns, 1);
}

// The address phase of every chip size, on a bus with nothing attached.
struct AddressCase {
    std::uint16_t type;
    int select;
    unsigned address;
    std::vector<std::string> bytes;  // sent after the start condition
};

class AddressPhaseTest : public ::testing::TestWithParam<AddressCase> {};

TEST_P(AddressPhaseTest, SendsTheControlAndAddressBytesOfTheChip) {
    const auto& param = GetParam();
    SimulatedClock clock;
    SimulatedPort port;
    BusAnalyzer analyzer(port);
    BusTiming timing;
    BusMaster bus(port, clock, timing);
    bus.setChip(*findChip(param.type));
    ASSERT_FALSE(bus.adapterOn(parallel_port::lpt1.base).has_value());
    analyzer.events.clear();
    EXPECT_FALSE(bus.addressPhase(param.select, param.address));  // nobody acknowledges
    std::vector<std::string> bytes;
    for (const auto& event : analyzer.events)
        if (event.kind == Kind::Byte) bytes.push_back(BusAnalyzer::text(event).substr(0, 2));
    EXPECT_EQ(bytes, param.bytes);
}

INSTANTIATE_TEST_SUITE_P(
    ChipTable, AddressPhaseTest,
    ::testing::Values(AddressCase{2, 7, 0x0FF, {"AE", "FF"}}, AddressCase{4, 7, 0x1AB, {"AE", "AB"}},
                      AddressCase{4, 0, 0x1AB, {"A2", "AB"}}, AddressCase{8, 7, 0x3CD, {"AE", "CD"}},
                      AddressCase{8, 4, 0x000, {"A8", "00"}}, AddressCase{16, 7, 0x7E0, {"AE", "E0"}},
                      AddressCase{16, 0, 0x512, {"AA", "12"}}, AddressCase{32, 5, 0xFFF, {"AA", "0F", "FF"}},
                      AddressCase{64, 0, 0x1FFF, {"A0", "1F", "FF"}}, AddressCase{128, 1, 0x3F12, {"A2", "3F", "12"}},
                      AddressCase{256, 7, 0xFFFF, {"AE", "7F", "FF"}}, AddressCase{1, 0, 0x10, {}},
                      AddressCase{512, 0, 0x10, {}}));

}  // namespace
}  // namespace pagerprog
