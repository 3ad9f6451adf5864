// The real backends on a machine without parallel ports or HID devices: they build,
// find nothing and fail cleanly instead of hanging.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/pager/pager_transfer.h"
#include "app/pager/programmer_presence.h"
#include "context/context.h"
#include "link/backend/hidapi_backend.h"
#include "link/backend/ppdev_port.h"
#include "link/clock.h"
#include "link/pager_link.h"
#include "link/transfer_engine.h"
#include "support/recording_host.h"

namespace pagerprog {
namespace {

TEST(PpdevPort, MapsLptBasesToParportDevices) {
    EXPECT_EQ(PpdevPort::devicePath(0x378), "/dev/parport0");
    EXPECT_EQ(PpdevPort::devicePath(0x278), "/dev/parport1");
    EXPECT_FALSE(PpdevPort::devicePath(0x3BC).has_value());
}

TEST(PpdevPort, MissingDeviceFailsWithDeviceAndReason) {
    if (std::filesystem::exists("/dev/parport0")) GTEST_SKIP() << "this machine has a parallel port";
    PpdevPort port;
    const auto error = port.claim(0x378);
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(*error, "Cannot use the parallel port /dev/parport0: No such file or directory");
    EXPECT_EQ(port.readPort(0x379), 0xFF);  // unclaimed: nothing is read
    port.writePort(0x378, 0x00);            // and nothing is written, without failing
    port.shutDown();
}

TEST(PpdevPort, TransferOverMissingPortFailsWithOneLogLine) {
    if (std::filesystem::exists("/dev/parport0")) GTEST_SKIP() << "this machine has a parallel port";
    testing::RecordingHost host;
    Context context(host);
    PpdevPort port;
    RealClock clock;
    HidapiBackend hid;
    PagerLink link(port, clock, hid);
    Image buffer{};
    EXPECT_EQ(transferPager(context, link, kChip24C16, 0, kReadMode, buffer).result, TransferResult::TransferFailed);
    EXPECT_EQ(transferPager(context, link, kChip24C16, 0, kWriteMode, buffer).result, TransferResult::WriteFailed);
    EXPECT_EQ(host.logLines,
              (std::vector<std::string>{"Cannot use the parallel port /dev/parport0: No such file or directory",
                                        "Cannot use the parallel port /dev/parport0: No such file or directory"}));
    EXPECT_EQ(host.progressSteps, 0);
}

TEST(HidapiBackend, FindsNoProgrammerAndOpensNothing) {
    testing::RecordingHost host;
    Context context(host);
    PpdevPort port;
    RealClock clock;
    HidapiBackend hid;
    PagerLink link(port, clock, hid);
    ProgrammerPresence presence(context, link);
    link.hid().start();
    for (const auto& device : link.hid().devices()) EXPECT_FALSE(UsbProgrammer::isProgrammer(*device));
    EXPECT_EQ(link.usb().currentDevice(), nullptr);
    EXPECT_FALSE(context.program.usbProgrammerInUse);
    const HidOpening none = hid.open("/dev/hidraw-none");
    EXPECT_EQ(none.connection, nullptr);
    EXPECT_EQ(none.problem, HidOpenProblem::Gone);
    EXPECT_FALSE(link.hid().pollChanges());
}

TEST(HidapiBackend, ReportDescriptorLivesInSysfs) {
    EXPECT_EQ(HidapiBackend::reportDescriptorPath("/dev/hidraw3"),
              "/sys/class/hidraw/hidraw3/device/report_descriptor");
}

}  // namespace
}  // namespace pagerprog
