// The probe on simulated devices: which ports and programmers it finds usable, what it
// learns of the pager on the chosen path, and the outcome its exit status follows.
#include <gtest/gtest.h>

#include <functional>

#include "app/probe/probe.h"
#include "app/probe/probe_text.h"
#include "link/sim/simulated_devices.h"
#include "support/pager_rig.h"

namespace pagerprog {
namespace {

struct ProbeCase {
    const char* name;
    SimulatedDevices::Path path;
    std::function<void(SimulatedDevices&)> scene;
    std::optional<PortName> port;
    ProbeOutcome outcome;
    std::optional<std::uint8_t> blocks;
    bool read;
};

class ProbeTest : public ::testing::TestWithParam<ProbeCase> {};

TEST_P(ProbeTest, FindsWhatAnswers) {
    testing::PagerRig rig{GetParam().path};
    GetParam().scene(rig.devices);
    rig.link.hid().start();
    const ProbeReport report = probeDevices(rig.link, GetParam().port);
    EXPECT_EQ(report.outcome, GetParam().outcome);
    EXPECT_EQ(report.pager.answeringBlocks, GetParam().blocks);
    EXPECT_EQ(report.pager.read, GetParam().read);
    if (GetParam().read) {
        EXPECT_TRUE(std::equal(report.pager.head.begin(), report.pager.head.end(), rig.devices.pager.memory.begin()));
        EXPECT_EQ(report.pager.storedChecksum, rig.devices.pager.memory[kChecksumOffset]);
        EXPECT_EQ(report.pager.computedChecksum, imageChecksum(rig.devices.pager.memory));
    }
    EXPECT_FALSE(rig.devices.port.claimed());
    EXPECT_EQ(probeText(report).back(), GetParam().outcome == ProbeOutcome::PagerAnswered ? "Result: a pager answered."
                                        : GetParam().outcome == ProbeOutcome::NoPagerAnswered
                                            ? "Result: a port works, but no pager answered."
                                            : "Result: no port and no programmer can be used.");
}

const auto kNoChange = [](SimulatedDevices&) {};
const auto kPortsRefused = [](SimulatedDevices& d) {
    d.port.failClaim("Cannot use the parallel port /dev/parport0: Permission denied", ClaimProblem::NoPermission);
};

INSTANTIATE_TEST_SUITE_P(
    Scenes, ProbeTest,
    ::testing::Values(ProbeCase{"AdapterWithPager", SimulatedDevices::Path::ParallelPort, kNoChange, std::nullopt,
                                ProbeOutcome::PagerAnswered, 0xFF, true},
                      ProbeCase{"AdapterWithoutPager", SimulatedDevices::Path::ParallelPort,
                                [](SimulatedDevices& d) { d.port.attach(nullptr); }, std::nullopt,
                                ProbeOutcome::NoPagerAnswered, 0x00, false},
                      ProbeCase{"NoUsablePortNorProgrammer", SimulatedDevices::Path::ParallelPort, kPortsRefused,
                                std::nullopt, ProbeOutcome::NothingUsable, std::nullopt, false},
                      ProbeCase{"ProgrammerWithPager", SimulatedDevices::Path::UsbProgrammer, kNoChange, std::nullopt,
                                ProbeOutcome::PagerAnswered, std::nullopt, true},
                      ProbeCase{"ProgrammerWithoutPager", SimulatedDevices::Path::UsbProgrammer,
                                [](SimulatedDevices& d) {
                                    d.programmer.eepromPresent = false;
                                    d.port.attach(nullptr);
                                },
                                std::nullopt, ProbeOutcome::NoPagerAnswered, std::nullopt, false},
                      ProbeCase{"ProgrammerRefusedPortAskedFor", SimulatedDevices::Path::UsbProgrammer,
                                [](SimulatedDevices& d) { d.programmer.mayOpen = false; }, PortName::parse("lpt2"),
                                ProbeOutcome::PagerAnswered, 0xFF, true},
                      ProbeCase{"ProgrammerRefusedPortsToo", SimulatedDevices::Path::UsbProgrammer,
                                [](SimulatedDevices& d) {
                                    d.programmer.mayOpen = false;
                                    kPortsRefused(d);
                                },
                                PortName::parse("usb"), ProbeOutcome::NothingUsable, std::nullopt, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ProbeText, GivesTheFixForEachRefusal) {
    testing::PagerRig rig{SimulatedDevices::Path::UsbProgrammer};
    rig.devices.programmer.mayOpen = false;
    rig.devices.port.failClaim("Cannot use the parallel port /dev/parport0: Permission denied",
                               ClaimProblem::NoPermission);
    rig.link.hid().start();
    const auto lines = probeText(probeDevices(rig.link, std::nullopt));
    const auto has = [&lines](const std::string& text) {
        return std::find(lines.begin(), lines.end(), text) != lines.end();
    };
    EXPECT_TRUE(has("    fix: Add the user to the lp group (sudo usermod -aG lp $USER) and log in again."));
    EXPECT_TRUE(has(
        "  sim1 sim:sim1#1 04D8:1000 \"Z16 programmer\", no serial, reports of 65 bytes in, 65 out: cannot be used:"));
    EXPECT_TRUE(has("    this user may not open it."));
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const std::string& line) {
        return line.rfind("    fix: Install the udev rule 70-pagerprog-programmer.rules in /etc/udev/rules.d", 0) == 0;
    }));
}

}  // namespace
}  // namespace pagerprog
