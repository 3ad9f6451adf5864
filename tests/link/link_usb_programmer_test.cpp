// The USB programmer against the simulated one: acceptance, arrival and unplug with
// their window-state changes, request layouts byte by byte, error letters and silence.
#include <gtest/gtest.h>

#include <cerrno>

#include "context/context.h"
#include "link/clock.h"
#include "link/crc8.h"
#include "link/pager_link.h"
#include "link/sim/simulated_devices.h"
#include "link/sim/simulated_hid_bus.h"
#include "support/pager_rig.h"

namespace pagerprog {
namespace {

class UsbProgrammerTest : public ::testing::Test {
protected:
    void start() { link.hid().start(); }
    TransferResult write(Image& source) { return rig.transfer(kChip24C16, 0, kWriteMode, source); }
    TransferResult read(Image& buffer) { return rig.transfer(kChip24C16, 0, kReadMode, buffer); }
    bool enabled(const char* name) const { return context.model.element(name).enabled; }
    bool visible(const char* name) const { return context.model.element(name).visible; }
    static std::uint8_t requestCrc(const std::vector<std::uint8_t>& request) {
        return crc8(std::span<const std::uint8_t>(request).subspan(1, request.size() - 2));
    }

    testing::PagerRig rig{SimulatedDevices::Path::UsbProgrammer};
    testing::RecordingHost& host = rig.host;
    Context& context = rig.context;
    SimulatedDevices& devices = rig.devices;
    SimulatedUsbProgrammer& programmer = devices.programmer;
    PagerLink& link = rig.link;
    ProgrammerPresence& presence = rig.presence;
};

TEST_F(UsbProgrammerTest, ArrivalTakesTheProgrammerIntoUseAndSaysHello) {
    start();
    ASSERT_NE(link.usb().currentDevice(), nullptr);
    EXPECT_EQ(host.logLines, std::vector<std::string>{"USB port is ready."});
    EXPECT_TRUE(context.program.usbProgrammerInUse);
    EXPECT_FALSE(visible(element::groupSpeed));
    EXPECT_FALSE(enabled(element::menuParallelPort));
    EXPECT_TRUE(enabled(element::writeToPager));
    EXPECT_TRUE(enabled(element::readFromPager));
    EXPECT_FALSE(enabled(element::switchModel));
    // The first hello: everything but the command still zero, covered by the CRC.
    ASSERT_EQ(programmer.requests.size(), 1u);
    const auto& hello = programmer.requests[0];
    ASSERT_EQ(hello.size(), 65u);
    EXPECT_EQ(hello[0], 0);
    EXPECT_EQ(hello[1], 0x13);
    EXPECT_TRUE(std::all_of(hello.begin() + 2, hello.end() - 1, [](auto byte) { return byte == 0; }));
    EXPECT_EQ(hello[64], requestCrc(hello));
    EXPECT_TRUE(host.messages.empty());
}

struct AcceptanceCase {
    std::uint16_t vendorId, productId;
    const char* product;
    bool accepted;
};

class ProgrammerAcceptanceTest : public UsbProgrammerTest, public ::testing::WithParamInterface<AcceptanceCase> {};

TEST_P(ProgrammerAcceptanceTest, OnlyTheProgrammersIdsAndProductStringsAreTaken) {
    programmer.vendorId = GetParam().vendorId;
    programmer.productId = GetParam().productId;
    programmer.productString = GetParam().product;
    start();
    EXPECT_EQ(link.usb().currentDevice() != nullptr, GetParam().accepted);
    EXPECT_EQ(context.program.usbProgrammerInUse, GetParam().accepted);
    EXPECT_EQ(visible(element::groupSpeed), !GetParam().accepted);
}

INSTANTIATE_TEST_SUITE_P(Devices, ProgrammerAcceptanceTest,
                         ::testing::Values(AcceptanceCase{0x04D8, 0x1000, "Z16 programmer", true},
                                           AcceptanceCase{0x04D8, 0x1000, "Z26 programmer", true},
                                           AcceptanceCase{0x04D8, 0x1000, "Z36 programmer", false},
                                           AcceptanceCase{0x04D8, 0x1000, "z16 programmer", false},
                                           AcceptanceCase{0x04D8, 0x1000, "", false},
                                           AcceptanceCase{0x04D9, 0x1000, "Z16 programmer", false},
                                           AcceptanceCase{0x04D8, 0x1001, "Z16 programmer", false}));

TEST_F(UsbProgrammerTest, UnplugAndReplugSwitchPathsAndWindowState) {
    start();
    context.program.portBase = parallel_port::lpt2.base;
    programmer.unplug();
    EXPECT_TRUE(link.hid().pollChanges());
    EXPECT_EQ(link.usb().currentDevice(), nullptr);
    EXPECT_TRUE(link.hid().devices().empty());  // released
    EXPECT_EQ(host.logLines, (std::vector<std::string>{"USB port is ready.", "USB port unplug."}));
    EXPECT_FALSE(context.program.usbProgrammerInUse);
    EXPECT_EQ(context.program.portBase, parallel_port::lpt1.base);
    EXPECT_TRUE(visible(element::groupSpeed));
    EXPECT_FALSE(enabled(element::writeToPager));
    EXPECT_FALSE(enabled(element::readFromPager));
    EXPECT_FALSE(enabled(element::menuParallelPort));  // an unplug re-enables neither
    EXPECT_FALSE(enabled(element::switchModel));
    EXPECT_FALSE(link.hid().pollChanges());  // nothing new

    programmer.plug();
    EXPECT_TRUE(link.hid().pollChanges());
    EXPECT_NE(link.usb().currentDevice(), nullptr);
    EXPECT_EQ(host.logLines.back(), "USB port is ready.");
    EXPECT_TRUE(enabled(element::writeToPager));
    EXPECT_TRUE(enabled(element::readFromPager));
    EXPECT_FALSE(visible(element::groupSpeed));
    Image source = SimulatedPager::factoryImage();
    source[0x100] ^= 0xFF;
    source[kChecksumOffset] = imageChecksum(source);
    EXPECT_EQ(write(source), TransferResult::VerifyOk);
    EXPECT_EQ(devices.pager.memory, source);
}

// Only a port access that holds the port between transfers has anything to free.
class ArrivalShutDownTest : public UsbProgrammerTest, public ::testing::WithParamInterface<bool> {};

TEST_P(ArrivalShutDownTest, ShutsThePortDownOnlyWhereItIsHeld) {
    devices.port.holdsDriver = GetParam();
    start();
    EXPECT_TRUE(context.program.usbProgrammerInUse);
    EXPECT_EQ(devices.port.shutDowns, GetParam() ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(PortAccesses, ArrivalShutDownTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "HeldBetweenTransfers" : "ClaimedPerTransfer"; });

struct RefusalCase {
    const char* name;
    std::size_t reportLength;
    bool mayOpen;
    std::string line;
};

class RefusedProgrammerTest : public UsbProgrammerTest, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(RefusedProgrammerTest, SaysWhyOnceAndLeavesThePathAlone) {
    programmer.reportLength = GetParam().reportLength;
    programmer.mayOpen = GetParam().mayOpen;
    start();
    presence.deviceChange();  // another device came or went: nothing new to say
    EXPECT_EQ(host.logLines, std::vector<std::string>{GetParam().line});
    EXPECT_EQ(link.usb().currentDevice(), nullptr);
    EXPECT_FALSE(context.program.usbProgrammerInUse);
    EXPECT_TRUE(visible(element::groupSpeed));
    EXPECT_TRUE(programmer.requests.empty());

    programmer.unplug();
    EXPECT_TRUE(link.hid().pollChanges());
    EXPECT_TRUE(link.hid().devices().empty());
    EXPECT_EQ(host.logLines.size(), 1u);
    programmer.reportLength = 65;
    programmer.mayOpen = true;
    programmer.plug();
    EXPECT_TRUE(link.hid().pollChanges());
    EXPECT_EQ(host.logLines.back(), "USB port is ready.");
    EXPECT_TRUE(context.program.usbProgrammerInUse);
}

INSTANTIATE_TEST_SUITE_P(
    Programmers, RefusedProgrammerTest,
    ::testing::Values(
        RefusalCase{"ReportsTooShortForARequest", 37, true,
                    "USB programmer at sim1 (sim:sim1#1) cannot be used: its output reports of 37 bytes cannot carry a "
                    "request (38 to 65 bytes needed)."},
        RefusalCase{"ReportsTooLongForTheBuffer", 129, true,
                    "USB programmer at sim1 (sim:sim1#1) cannot be used: its output reports of 129 bytes cannot carry "
                    "a request (38 to 65 bytes needed)."},
        RefusalCase{"UserMayNotOpenIt", 65, false,
                    "USB programmer at sim1 (sim:sim1#1) cannot be used: this user may not open it. Install the udev "
                    "rule 70-pagerprog-programmer.rules in /etc/udev/rules.d, run 'sudo udevadm control --reload', "
                    "then plug the programmer in again (the rule gives it to the user logged in at the machine)."}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(UsbProgrammerTest, WriteRequestAt0x07E0CarriesCommandChipAddressDataAndCrc) {
    start();
    Image source{};
    for (std::size_t i = 0; i < kImageSize; ++i) source[i] = static_cast<std::uint8_t>(i ^ 0x5A);
    ASSERT_EQ(write(source), TransferResult::VerifyOk);
    const auto writes = std::count_if(programmer.requests.begin(), programmer.requests.end(),
                                      [](const auto& request) { return request[1] == 0x15; });
    EXPECT_EQ(writes, 64);
    EXPECT_EQ(programmer.chunks(), 128);  // write pass and verify pass
    const auto last = std::find_if(programmer.requests.begin(), programmer.requests.end(), [](const auto& request) {
        return request[1] == 0x15 && request[3] == 0x07 && request[4] == 0xE0;
    });
    ASSERT_NE(last, programmer.requests.end());
    const auto& request = *last;
    EXPECT_EQ(std::vector<std::uint8_t>(request.begin(), request.begin() + 5),
              (std::vector<std::uint8_t>{0x00, 0x15, 0x40, 0x07, 0xE0}));
    EXPECT_TRUE(std::equal(request.begin() + 5, request.begin() + 37, source.begin() + 0x7E0));
    EXPECT_TRUE(std::all_of(request.begin() + 37, request.end() - 1, [](auto byte) { return byte == 0; }));
    EXPECT_EQ(request[64], requestCrc(request));
    // Read requests clear the data bytes.
    const auto& lastRead = programmer.requests.back();
    EXPECT_EQ(lastRead[1], 0x14);
    EXPECT_TRUE(std::all_of(lastRead.begin() + 5, lastRead.begin() + 37, [](auto byte) { return byte == 0; }));
    EXPECT_EQ(host.progressSteps, 128 * 32);
    EXPECT_EQ(host.progressCaptionText, kVerifyCaption);
}

TEST_F(UsbProgrammerTest, HelloKeepsThePreviousRequestsBytesUnderItsCrc) {
    start();
    Image source = SimulatedPager::factoryImage();
    ASSERT_EQ(write(source), TransferResult::VerifyOk);
    programmer.silentFromChunk = 0;  // a write request left in the buffer: make it the last one
    Image again = source;
    EXPECT_EQ(write(again), TransferResult::TransferFailed);
    const auto previous = programmer.requests.back();
    ASSERT_EQ(previous[1], 0x15);
    programmer.unplug();
    link.hid().pollChanges();
    programmer.plug();
    link.hid().pollChanges();
    const auto& hello = programmer.requests.back();
    EXPECT_EQ(hello[1], 0x13);
    EXPECT_TRUE(std::equal(hello.begin() + 2, hello.end() - 1, previous.begin() + 2));
    EXPECT_EQ(hello[64], requestCrc(hello));
    EXPECT_NE(hello[64], previous[64]);
}

struct LetterCase {
    std::uint8_t letter;
    const char* text;  // nothing: the letter means success
};

class ErrorLetterTest : public UsbProgrammerTest, public ::testing::WithParamInterface<LetterCase> {};

TEST_P(ErrorLetterTest, ReadAndWriteEndWithTheLettersMessage) {
    start();
    programmer.errorLetter = GetParam().letter;
    programmer.errorLetterAtChunk = 3;
    Image buffer{};
    buffer.fill(0xEE);
    const bool error = GetParam().text != nullptr;
    EXPECT_EQ(read(buffer), error ? TransferResult::TransferFailed : TransferResult::ReadDone);
    EXPECT_EQ(host.messages, error ? std::vector<std::string>{GetParam().text} : std::vector<std::string>{});
    // Chunks 0 to 2 arrived; with an error nothing from chunk 3 on reaches the buffer.
    EXPECT_TRUE(std::equal(buffer.begin(), buffer.begin() + 96, devices.pager.memory.begin()));
    EXPECT_EQ(std::all_of(buffer.begin() + 96, buffer.end(), [](auto byte) { return byte == 0xEE; }), error);
}

INSTANTIATE_TEST_SUITE_P(Letters, ErrorLetterTest,
                         ::testing::Values(LetterCase{'A', "EERPOM not found!"}, LetterCase{'B', "USB error!"},
                                           LetterCase{'C', "CRC error!"}, LetterCase{'D', "CMD not valid!"},
                                           LetterCase{'E', nullptr}, LetterCase{0x00, nullptr},
                                           LetterCase{'@', nullptr}));

TEST_F(UsbProgrammerTest, LetterAInTheFirstWriteReplyEndsWithoutReadBack) {
    start();
    programmer.eepromPresent = false;
    Image source = SimulatedPager::factoryImage();
    EXPECT_EQ(write(source), TransferResult::TransferFailed);
    EXPECT_EQ(host.messages, std::vector<std::string>{"EERPOM not found!"});
    EXPECT_EQ(programmer.chunks(), 1);
    EXPECT_NE(host.progressCaptionText, kVerifyCaption);
}

TEST_F(UsbProgrammerTest, SilentProgrammerEndsTheTransferAndNoStaleReplyReachesTheBuffer) {
    start();
    programmer.silentFromChunk = 5;
    Image buffer{};
    buffer.fill(0xEE);
    EXPECT_EQ(read(buffer), TransferResult::TransferFailed);
    EXPECT_EQ(host.messages, std::vector<std::string>{kProgrammerSilentText});
    EXPECT_TRUE(std::equal(buffer.begin(), buffer.begin() + 5 * 32, devices.pager.memory.begin()));
    EXPECT_TRUE(std::all_of(buffer.begin() + 5 * 32, buffer.end(), [](auto byte) { return byte == 0xEE; }));
    EXPECT_TRUE(link.usb().currentDevice() != nullptr);  // the programmer stays current
}

// Fails when a reply that arrives after the time limit is read as the next request's
// reply: every chunk after it would land 32 bytes off.
TEST_F(UsbProgrammerTest, ALateReplyIsNotTakenForTheNextOne) {
    start();
    devices.pager.memory = SimulatedPager::factoryImage();
    programmer.lateReplyAtChunk = 3;
    Image buffer{};
    EXPECT_EQ(read(buffer), TransferResult::TransferFailed);
    EXPECT_EQ(host.messages, std::vector<std::string>{kProgrammerSilentText});
    EXPECT_EQ(read(buffer), TransferResult::ReadDone);
    EXPECT_EQ(buffer, devices.pager.memory);
    Image source = SimulatedPager::factoryImage();
    source[0x100] ^= 0x5A;
    source[kChecksumOffset] = imageChecksum(source);
    EXPECT_EQ(write(source), TransferResult::VerifyOk);
    EXPECT_EQ(devices.pager.memory, source);
}

// Fails when a dead connection is kept: after a quick re-plug under the same path every
// exchange would fail until the programmer was pulled out a second time.
TEST_F(UsbProgrammerTest, AQuickReplugUnderTheSamePathIsOpenedAfresh) {
    programmer.samePathOnReplug = true;
    start();
    programmer.unplug();
    programmer.plug();
    EXPECT_TRUE(link.hid().pollChanges());  // both notices together: the device looks unchanged
    Image buffer{};
    EXPECT_EQ(read(buffer), TransferResult::ReadDone) << "the dead handle fails before the request and is replaced";
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(buffer, devices.pager.memory);
}

TEST_F(UsbProgrammerTest, SilentVerifyPassNeverCountsAsVerified) {
    start();
    programmer.silentFromChunk = 64;  // the write pass goes through, the read-back gets nothing
    Image source = SimulatedPager::factoryImage();
    EXPECT_EQ(write(source), TransferResult::TransferFailed);
    EXPECT_EQ(host.messages, std::vector<std::string>{kProgrammerSilentText});
}

TEST_F(UsbProgrammerTest, UnplugInTheMiddleOfAWriteEndsItAndTheNextPollSwitchesBack) {
    start();
    programmer.unplugAtChunk = 10;
    Image source = SimulatedPager::factoryImage();
    EXPECT_EQ(write(source), TransferResult::TransferFailed);
    EXPECT_EQ(host.messages, std::vector<std::string>{kProgrammerSilentText});
    EXPECT_TRUE(link.hid().pollChanges());
    EXPECT_EQ(host.logLines.back(), "USB port unplug.");
    EXPECT_FALSE(context.program.usbProgrammerInUse);
}

TEST_F(UsbProgrammerTest, SimulatedProgrammerChecksCrcAndCommand) {
    start();
    auto connection = programmer.open(programmer.enumerate().at(0).path).connection;
    ASSERT_NE(connection, nullptr);
    const auto statusOf = [&](std::vector<std::uint8_t> request, bool fixCrc) {
        if (fixCrc) request.back() = crc8(std::span<const std::uint8_t>(request).subspan(1, request.size() - 2));
        EXPECT_TRUE(connection->writeReport(request));
        std::vector<std::uint8_t> reply(65);
        EXPECT_EQ(connection->readReport(reply, std::chrono::milliseconds(0)), 65);
        return reply[1];
    };
    std::vector<std::uint8_t> request(65, 0);
    request[1] = 0x14;
    request[2] = 0x40;
    EXPECT_EQ(statusOf(request, true), SimulatedUsbProgrammer::kSuccess);
    request.back() = static_cast<std::uint8_t>(crc8(std::span<const std::uint8_t>(request).subspan(1, 63)) ^ 1);
    EXPECT_EQ(statusOf(request, false), 'C');
    request[1] = 0x16;
    EXPECT_EQ(statusOf(request, true), 'D');
}

// The list is filled at start and at every change: each device with its port and how it
// stands. A click makes a programmer's line current (the flag stays as it was); any other
// device is never sent a request.
TEST_F(UsbProgrammerTest, DeviceListNamesEachDeviceItsPortAndHowItStands) {
    programmer.vendorId = 0x1234;
    programmer.productId = 0xABCD;
    programmer.productString = "";
    SimulatedPager second;
    SimulatedUsbProgrammer other(second);
    other.portPath = "1-2.3";
    SimulatedHidBus bus({&programmer, &other});
    PagerLink busLink(devices.port, rig.clock, bus);
    ProgrammerPresence busPresence(context, busLink);
    busPresence.wantPort("9-9");  // a port with nothing in it: nothing is taken
    busLink.hid().start();
    EXPECT_EQ(busPresence.devListLines(),
              (std::vector<std::string>{"Device VID=1234 PID=ABCD at sim1: not a programmer",
                                        "Z16 programmer at 1-2.3: free"}));
    EXPECT_TRUE(busLink.hid().devices().at(1)->checkedOut()) << "kept with its line";
    busPresence.DevListBoxClick(2);  // no such line
    busPresence.DevListBoxClick(0);
    EXPECT_EQ(busLink.usb().currentDevice(), nullptr);
    EXPECT_TRUE(enabled(element::menuParallelPort));
    busPresence.DevListBoxClick(1);
    EXPECT_EQ(busLink.usb().currentDevice(), busLink.hid().devices().at(1).get());
    EXPECT_FALSE(enabled(element::menuParallelPort));
    EXPECT_FALSE(context.program.usbProgrammerInUse);
    EXPECT_EQ(busPresence.devListLines().at(1), "Z16 programmer at 1-2.3: in use");
    EXPECT_TRUE(other.requests.empty()) << "taken by a click, not greeted";
}

TEST_F(UsbProgrammerTest, DataErrorShowsTheSystemsText) {
    presence.dataError(ENOENT);
    EXPECT_EQ(host.messages, std::vector<std::string>{"Read Error: No such file or directory"});
}

}  // namespace
}  // namespace pagerprog
