// Several programmers on the fake kernel under the real hidapi backend: each named by the
// USB port it is plugged into (whatever its hidraw node, whatever its serial), found again
// in another port after a replug, held by one holder at a time, and two of them written at
// once from two threads.
#include <algorithm>
#include <thread>

#include "app/pager/pager_transfer.h"
#include "app/pager/programmer_presence.h"
#include "context/context.h"
#include "kernel_test.h"
#include "link/backend/hidapi_backend.h"
#include "link/backend/ppdev_port.h"
#include "link/clock.h"
#include "link/pager_link.h"
#include "support/recording_host.h"

namespace pagerprog {
namespace {

using namespace kernel_test;
using HidrawGangKernelTest = KernelTest;

// One programmer's own link over the machine's backend, taking the programmer at `port`.
struct Station {
    Station(HidBackend& backend, const std::string& port) : link(ppdev, clock, backend), presence(context, link) {
        presence.wantPort(port);
        link.hid().start();
    }
    TransferResult transfer(std::string_view mode, Image& buffer) {
        return transferPager(context, link, kChip24C16, 0, mode, buffer).result;
    }
    std::string port() {
        const HidDevice* device = link.usb().currentDevice();
        return device && context.program.usbProgrammerInUse ? device->portPath() : "";
    }

    testing::RecordingHost host;
    Context context{host};
    RealClock clock;
    PpdevPort ppdev;
    PagerLink link;
    ProgrammerPresence presence;
};

Image memoryOf(int programmer) {
    Image image{};
    std::copy_n(fake_programmer_pager_memory(programmer), kImageSize, image.begin());
    return image;
}

// Cheap programmers share one serial: the port tells them apart.
TEST_F(HidrawGangKernelTest, ProgrammersAreNamedByTheirUsbPort) {
    fake_programmer_plug(0, 64, 1);
    fake_programmer_plug_into(1, "1-2.3", "A1B2");
    fake_programmer_plug_into(2, "2-1", "A1B2");
    HidapiBackend backend;
    auto devices = backend.enumerate();
    std::sort(devices.begin(), devices.end(), [](const auto& a, const auto& b) { return a.path < b.path; });
    ASSERT_EQ(devices.size(), 3u);
    const std::vector<std::vector<std::string>> expected{
        {"/dev/hidraw0", "1-1", ""}, {"/dev/hidraw1", "1-2.3", "A1B2"}, {"/dev/hidraw2", "2-1", "A1B2"}};
    for (std::size_t i = 0; i < devices.size(); ++i)
        EXPECT_EQ((std::vector<std::string>{devices[i].path, devices[i].portPath, devices[i].serial}), expected[i]);

    // Into another port: another node perhaps, and the new port; the link finds it there.
    fake_programmer_unplug_index(1);
    fake_programmer_unplug_index(0);
    fake_programmer_plug_into(1, "1-4", "A1B2");
    Station moved(backend, "1-4");
    EXPECT_EQ(moved.port(), "1-4");
    EXPECT_EQ(moved.link.usb().currentDevice()->path(), "/dev/hidraw0");
    Station gone(backend, "1-2.3");
    EXPECT_EQ(gone.port(), "");
}

// A programmer one holder has open is refused to every other, in this program or another.
TEST_F(HidrawGangKernelTest, AProgrammerHasOneHolderAtATime) {
    fake_programmer_plug_into(0, "1-1", "");
    fake_programmer_plug_into(1, "1-2", "");
    HidapiBackend backend;
    Station first(backend, "1-1");
    ASSERT_EQ(first.port(), "1-1");
    Station second(backend, "1-1");
    EXPECT_EQ(second.port(), "");
    EXPECT_EQ(second.presence.refusalAt("1-1"), "another program is using it.");
    fake_programmer_held_elsewhere(1);
    Station third(backend, "1-2");
    EXPECT_EQ(third.port(), "");
    EXPECT_EQ(third.presence.devListLines(),
              (std::vector<std::string>{"Z16 programmer at 1-1: in use by another program",
                                        "Z16 programmer at 1-2: cannot be used"}));
}

// Fails when two programmers driven at once mix their reports or their pagers.
TEST_F(HidrawGangKernelTest, TwoProgrammersAreWrittenAtOnce) {
    fake_programmer_plug_into(0, "1-1", "");
    fake_programmer_plug_into(1, "1-2", "");
    HidapiBackend backend;
    Station a(backend, "1-1"), b(backend, "1-2");
    ASSERT_EQ(a.port(), "1-1");
    ASSERT_EQ(b.port(), "1-2");
    const Image imageA = SimulatedPager::patternImage(3), imageB = SimulatedPager::patternImage(4);
    TransferResult resultA{}, resultB{};
    {
        std::jthread writerA([&] {
            for (int round = 0; round < 3; ++round) {
                Image source = imageA;
                resultA = a.transfer(kWriteMode, source);
            }
        });
        std::jthread writerB([&] {
            for (int round = 0; round < 3; ++round) {
                Image source = imageB;
                resultB = b.transfer(kWriteMode, source);
            }
        });
    }
    EXPECT_EQ(resultA, TransferResult::VerifyOk);
    EXPECT_EQ(resultB, TransferResult::VerifyOk);
    EXPECT_EQ(memoryOf(0), imageA);
    EXPECT_EQ(memoryOf(1), imageB);
    EXPECT_TRUE(a.host.messages.empty());
    EXPECT_TRUE(b.host.messages.empty());
}

}  // namespace
}  // namespace pagerprog
