// The real hidapi backend (hidapi's hidraw code, libudev, the report descriptor in sysfs)
// with the USB programmer and transfer engine on the fake kernel's /dev/hidraw0: the
// enumeration, whole transfers with unnumbered and numbered reports, short reports, and a
// programmer that cannot be opened, falls silent or is pulled out.
#include <poll.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "app/pager/pager_transfer.h"
#include "app/pager/programmer_presence.h"
#include "context/context.h"
#include "kernel_test.h"
#include "link/backend/hidapi_backend.h"
#include "link/backend/ppdev_port.h"
#include "link/clock.h"
#include "link/crc8.h"
#include "link/pager_link.h"
#include "link/transfer_engine.h"
#include "link/usb_programmer.h"
#include "support/recording_host.h"

namespace pagerprog {
namespace {

using namespace kernel_test;
using HidrawKernelTest = KernelTest;

// The link as the window builds it on the real devices, started.
struct UsbRig {
    UsbRig() : link(ppdev, clock, hid), presence(context, link) { link.hid().start(); }

    TransferResult transfer(std::string_view mode, Image& buffer) {
        return transferPager(context, link, kChip24C16, 0, mode, buffer).result;
    }

    bool inUse() const { return context.program.usbProgrammerInUse; }

    testing::RecordingHost host;
    Context context{host};
    RealClock clock;
    PpdevPort ppdev;
    HidapiBackend hid;
    PagerLink link;
    ProgrammerPresence presence;
};

struct Reports {
    const char* name;
    unsigned char id;
    unsigned size;
};

void PrintTo(const Reports& reports, std::ostream* out) { *out << reports.name; }

class ProgrammerReports : public KernelTest, public ::testing::WithParamInterface<Reports> {};

TEST_P(ProgrammerReports, AreEnumeratedWithTheirLengths) {
    fake_programmer_plug(GetParam().id, GetParam().size, 1);
    HidapiBackend backend;
    const auto devices = backend.enumerate();
    ASSERT_EQ(devices.size(), 1u);
    EXPECT_EQ(devices[0].path, "/dev/hidraw0");
    EXPECT_EQ(devices[0].vendorId, 0x04D8);
    EXPECT_EQ(devices[0].productId, 0x1000);
    EXPECT_EQ(devices[0].productString, "Z16 programmer");
    EXPECT_EQ(devices[0].inputReportLength, GetParam().size + 1);
    EXPECT_EQ(devices[0].outputReportLength, GetParam().size + 1);
}

// A request left with report ID 0 reaches a numbered device under its ID, and the reply
// comes back with the ID in byte 0; a buffer shorter than the report gets the report cut.
TEST_P(ProgrammerReports, CarryTheReportIdBothWays) {
    fake_programmer_plug(GetParam().id, GetParam().size, 1);
    HidapiBackend backend;
    const auto connection = backend.open("/dev/hidraw0").connection;
    ASSERT_NE(connection, nullptr);
    std::vector<std::uint8_t> hello(GetParam().size + 1, 0);
    hello[1] = UsbProgrammer::kHello;
    hello.back() = crc8(std::span<const std::uint8_t>(hello).subspan(1, hello.size() - 2));

    ASSERT_TRUE(connection->writeReport(hello));
    std::vector<std::uint8_t> reply(GetParam().size + 1, 0xEE);
    ASSERT_EQ(connection->readReport(reply, std::chrono::milliseconds(1000)), static_cast<int>(reply.size()));
    EXPECT_EQ(reply[0], GetParam().id);
    // The programmer's requests need 38 bytes: a shorter one is refused with 'D'.
    EXPECT_EQ(reply[1], GetParam().size + 1 >= 38 ? 0x00 : 'D');

    ASSERT_TRUE(connection->writeReport(hello));
    std::vector<std::uint8_t> cut(2, 0xEE);
    EXPECT_EQ(connection->readReport(cut, std::chrono::milliseconds(1000)), 2);
    EXPECT_EQ(cut[0], GetParam().id);
    EXPECT_EQ(connection->readReport(cut, std::chrono::milliseconds(0)), 0) << "the rest of the report is dropped";
}

INSTANTIATE_TEST_SUITE_P(Descriptors, ProgrammerReports,
                         ::testing::Values(Reports{"Unnumbered64", 0, 64}, Reports{"Numbered64", 0x21, 64},
                                           Reports{"Unnumbered32", 0, 32}, Reports{"Numbered32", 3, 32}),
                         [](const auto& info) { return std::string(info.param.name); });

class WholePager : public KernelTest, public ::testing::WithParamInterface<int> {};

TEST_P(WholePager, WrittenVerifiedAndReadBack) {
    fake_programmer_plug(static_cast<unsigned char>(GetParam()), 64, 1);
    UsbRig rig;
    ASSERT_TRUE(rig.inUse());
    writeVerifyAndReadBack(rig, 31);
    EXPECT_TRUE(rig.host.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(ReportIds, WholePager, ::testing::Values(0, 0x5A),
                         [](const auto& info) { return "ReportId" + std::to_string(info.param); });

struct Trouble {
    const char* name;
    std::function<void()> scene;
    bool pulledOut;
};

void PrintTo(const Trouble& trouble, std::ostream* out) { *out << trouble.name; }

class ProgrammerInTrouble : public KernelTest, public ::testing::WithParamInterface<Trouble> {};

TEST_P(ProgrammerInTrouble, FailsTheTransferWithoutHanging) {
    GetParam().scene();
    UsbRig rig;
    const Image image = SimulatedPager::patternImage(17);
    Image source = image;
    const TransferOutcome written = transferPager(rig.context, rig.link, kChip24C16, 0, kWriteMode, source);
    EXPECT_EQ(written.result, TransferResult::TransferFailed);
    EXPECT_EQ(written.removedPort, GetParam().pulledOut ? "USB programmer 1-1" : "") << "silence is no removal";
    Image buffer{};
    EXPECT_EQ(rig.transfer(kReadMode, buffer), TransferResult::TransferFailed);
    EXPECT_EQ(rig.host.messages, (std::vector<std::string>(2, kProgrammerSilentText)));
    EXPECT_NE(pagerMemory(), image);
    EXPECT_EQ(rig.link.hid().pollChanges(), GetParam().pulledOut);
    EXPECT_EQ(rig.inUse(), !GetParam().pulledOut);
}

INSTANTIATE_TEST_SUITE_P(Scenes, ProgrammerInTrouble,
                         ::testing::Values(Trouble{"SilentFromChunk5",
                                                   [] {
                                                       fake_programmer_plug(0, 64, 1);
                                                       fake_programmer_silent_from_chunk(5);
                                                   },
                                                   false},
                                           Trouble{"PulledOutAtChunk10",
                                                   [] {
                                                       fake_programmer_plug(0, 64, 1);
                                                       fake_programmer_unplug_at_chunk(10);
                                                   },
                                                   true}),
                         [](const auto& info) { return std::string(info.param.name); });

// A programmer the link cannot use is said so once, at arrival, and not taken: transfers
// stay on the parallel port (absent here) instead of failing chunk by chunk.
struct Refusal {
    const char* name;
    unsigned reportSize;
    int accessible;
    std::string line;
};

void PrintTo(const Refusal& refusal, std::ostream* out) { *out << refusal.name; }

class RefusedProgrammer : public KernelTest, public ::testing::WithParamInterface<Refusal> {};

TEST_P(RefusedProgrammer, SaysWhyAtArrivalOnly) {
    fake_programmer_plug(0, GetParam().reportSize, GetParam().accessible);
    UsbRig rig;
    EXPECT_FALSE(rig.inUse());
    Image buffer{};
    EXPECT_EQ(rig.transfer(kReadMode, buffer), TransferResult::TransferFailed);
    EXPECT_EQ(rig.host.logLines,
              (std::vector<std::string>{GetParam().line,
                                        "Cannot use the parallel port /dev/parport0: No such file or directory"}));
    EXPECT_TRUE(rig.host.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Scenes, RefusedProgrammer,
    ::testing::Values(
        Refusal{"NodeModeRefusesTheUser", 64, 0,
                "USB programmer at 1-1 (/dev/hidraw0) cannot be used: this user may not open it. Install the udev rule "
                "70-pagerprog-programmer.rules in /etc/udev/rules.d, run 'sudo udevadm control --reload', then plug "
                "the programmer in again (the rule gives it to the user logged in at the machine)."},
        Refusal{"ReportsTooShortForARequest", 32, 1,
                "USB programmer at 1-1 (/dev/hidraw0) cannot be used: its output reports of 33 bytes cannot carry a "
                "request (38 "
                "to 65 bytes needed)."}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(HidrawKernelTest, PlugAndUnplugReachTheLinkThroughTheUdevMonitor) {
    UsbRig rig;
    EXPECT_FALSE(rig.inUse());
    pollfd notice{rig.link.hid().changeNoticeFd(), POLLIN, 0};
    ASSERT_GE(notice.fd, 0);
    EXPECT_EQ(::poll(&notice, 1, 0), 0);

    fake_programmer_plug(0, 64, 1);
    EXPECT_EQ(::poll(&notice, 1, 0), 1);
    EXPECT_TRUE(rig.link.hid().pollChanges());
    EXPECT_TRUE(rig.inUse());
    EXPECT_FALSE(rig.link.hid().pollChanges()) << "one plug-in, one change";

    fake_programmer_unplug();
    EXPECT_TRUE(rig.link.hid().pollChanges());
    EXPECT_FALSE(rig.inUse());
    EXPECT_EQ(rig.host.logLines, (std::vector<std::string>{"USB port is ready.", "USB port unplug."}));
}

// Pulled out and put back between two scans, the programmer keeps its node but not its
// open file, which hangs up: the next request opens the node afresh.
TEST_F(HidrawKernelTest, ProgrammerPutBackUnderItsNodeWorksAtOnce) {
    fake_programmer_plug(0, 64, 1);
    UsbRig rig;
    Image buffer{};
    ASSERT_EQ(rig.transfer(kReadMode, buffer), TransferResult::ReadDone);
    fake_programmer_unplug();
    fake_programmer_plug(0, 64, 1);
    const Image image = SimulatedPager::patternImage(5);
    Image source = image;
    EXPECT_EQ(rig.transfer(kWriteMode, source), TransferResult::VerifyOk);
    EXPECT_EQ(pagerMemory(), image);
    EXPECT_TRUE(rig.host.messages.empty());
}

}  // namespace
}  // namespace pagerprog
