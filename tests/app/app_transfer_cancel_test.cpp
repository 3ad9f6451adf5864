// A write cancelled by the technician stops only between its passes, and the status log
// says what the pager holds: unchanged before the write, written but not verified after.
#include <gtest/gtest.h>

#include <algorithm>

#include "link/sim/simulated_devices.h"
#include "support/pager_rig.h"
#include "support/started_program.h"

namespace pagerprog {
namespace {

using Path = SimulatedDevices::Path;

class CancelTest : public ::testing::TestWithParam<Path> {};

TEST_P(CancelTest, TransferStoppedBeforeTheVerifyPassLeavesThePagerWritten) {
    testing::PagerRig rig(GetParam());
    rig.link.hid().start();
    Image source = SimulatedPager::factoryImage();
    source[0x123] ^= 0x5A;
    source[kChecksumOffset] = imageChecksum(source);
    const auto result = transferPager(rig.context, rig.link, kChip24C16, 0, kWriteMode, source, [] { return false; });
    EXPECT_EQ(result.result, TransferResult::WrittenNotVerified);
    EXPECT_EQ(rig.devices.pager.memory, source);
    EXPECT_NE(rig.host.progressCaptionText, kVerifyCaption) << "no verify pass began";
}

// A started program with a pager on the path, its technician pressing Cancel at once.
struct Bench : testing::StartedProgram {
    explicit Bench(Path path) : StartedProgram(path) { host.cancelRequested = true; }
};

TEST_P(CancelTest, CancelDuringTheReadBackStopsBeforeTheWrite) {
    Bench b(GetParam());
    const Image before = b.devices.pager.memory;
    const std::string address = b.app.model().text("address1");
    EXPECT_FALSE(b.app.menuCommand(element::writeToPager));
    EXPECT_EQ(b.host.logLines, std::vector<std::string>{"Cancelled before the write: the pager is unchanged."});
    EXPECT_EQ(b.devices.pager.memory, before);
    EXPECT_EQ(b.app.model().text("address1"), address);
    EXPECT_FALSE(b.host.progressVisible);
    EXPECT_EQ(b.host.progressPasses, (std::vector<std::pair<int, int>>{{1, 3}}));
}

TEST_P(CancelTest, WithoutAReadBackTheCancelComesBeforeTheVerify) {
    Bench b(GetParam());
    b.app.model().setIndex("customer", 2);  // written without reading the pager back first
    const std::string address = b.app.model().text("address1");
    EXPECT_FALSE(b.app.menuCommand(element::writeToPager));
    EXPECT_EQ(b.host.logLines,
              (std::vector<std::string>{"Write to Pager...",
                                        "Cancelled after the write: the pager holds the new settings, not verified."}));
    EXPECT_EQ(b.devices.pager.memory, b.app.program().image);
    EXPECT_EQ(b.app.model().text("address1"), address) << "capcodes step on only after a verified write";
    EXPECT_FALSE(b.host.progressVisible);
    EXPECT_EQ(b.host.progressPasses, (std::vector<std::pair<int, int>>{{1, 2}}));
}

TEST_P(CancelTest, PassesAreNumberedAcrossTheWholeWrite) {
    Bench b(GetParam());
    b.host.cancelRequested = false;
    EXPECT_TRUE(b.app.menuCommand(element::writeToPager));
    EXPECT_EQ(b.host.progressPasses, (std::vector<std::pair<int, int>>{{1, 3}, {2, 3}, {3, 3}}));
    b.host.progressPasses.clear();
    EXPECT_TRUE(b.app.menuCommand(element::readFromPager));
    EXPECT_EQ(b.host.progressPasses, (std::vector<std::pair<int, int>>{{1, 1}}));
}

INSTANTIATE_TEST_SUITE_P(Paths, CancelTest, ::testing::Values(Path::ParallelPort, Path::UsbProgrammer),
                         [](const auto& info) { return info.param == Path::ParallelPort ? "Lpt" : "Usb"; });

}  // namespace
}  // namespace pagerprog
