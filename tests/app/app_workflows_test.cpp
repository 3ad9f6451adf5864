// "&RD_From_Pager" and "&WR_To_Pager" end to end: the started program, the real
// workflows, bus master, transfer engine and USB protocol, against a simulated pager.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "app/pager/capcode_check.h"
#include "link/sim/simulated_devices.h"
#include "settings/image_layout.h"
#include "support/started_program.h"

namespace pagerprog {
namespace {

using Path = SimulatedDevices::Path;

using Bench = testing::StartedProgram;

class BothPaths : public ::testing::TestWithParam<Path> {};

TEST_P(BothPaths, ReadTakesThePagerIntoTheWindow) {
    Bench b(GetParam());
    // A TV8 pager programmed elsewhere: another capcode and a folder name.
    b.pager() = eightAddressTemplate();
    b.pager()[0x269] = 2;
    std::copy_n("73T", 3, b.pager().begin() + 0x066);
    for (int n = 1; n <= 8; ++n) writeCapcodeEntryEight(b.pager(), n, 1234567 + 8 * (n - 1), true);
    std::copy_n("Inbox", 5, b.pager().begin() + 0x06A);
    b.pager()[0x06A + 5] = 0;
    b.pager()[kChecksumOffset] = imageChecksum(b.pager());

    b.app.menuCommand(element::readFromPager);
    EXPECT_EQ(b.host.logLines, (std::vector<std::string>{"Read data from pager", "Read completed"}));
    EXPECT_EQ(b.host.beeps, 0);
    EXPECT_FALSE(b.host.progressVisible);
    EXPECT_EQ(b.app.program().image, b.pager());
    EXPECT_EQ(b.m.text("pubbox0"), "Inbox");
    EXPECT_EQ(b.m.text("address1"), "1234567") << "decoded in the layout of the running revision";
    EXPECT_EQ(b.m.text("address8"), "1234623");
}

TEST_P(BothPaths, WriteVerifiesAndStepsTheCapcodes) {
    Bench b(GetParam());
    b.m.setIndex("autoinc1", 1);
    b.m.setIndex("autoinc3", 2);
    b.app.menuCommand(element::writeToPager);
    EXPECT_EQ(b.host.logLines, (std::vector<std::string>{"Write to Pager...", "Verify OK !"}));
    EXPECT_EQ(b.host.beeps, 1);
    EXPECT_FALSE(b.host.progressVisible);
    EXPECT_TRUE(imageChecksumOk(b.pager()));
    EXPECT_EQ(b.pager(), b.app.program().image);
    EXPECT_EQ(b.m.text("address1"), "2004001");
    EXPECT_EQ(b.m.text("address3"), "2004018");
    EXPECT_EQ(b.m.text("address2"), "2004008") << "autoinc2 is 0";
    EXPECT_EQ(b.m.text("address5"), "2004032") << "slots 5 to 8 are not stepped";
}

// Fails when a write the simulated pager's file could not keep is reported verified.
TEST_P(BothPaths, AWriteThePagerFileCannotKeepFailsItsVerify) {
    Bench b(GetParam());
    const auto folder = std::filesystem::temp_directory_path() / ("pagerprog_pagerfile_" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    ASSERT_EQ(b.devices.pager.keepIn((folder / "pager.eep").string()), SimulatedPager::PagerFile::Missing);
    std::filesystem::remove_all(folder);
    b.m.setIndex("autoinc1", 1);
    EXPECT_FALSE(b.app.menuCommand(element::writeToPager));
    EXPECT_TRUE(b.logged("Verify fail !"));
    EXPECT_FALSE(b.logged("Verify OK !"));
    EXPECT_EQ(b.m.text("address1"), "2004000") << "not stepped on";
    EXPECT_NE(b.devices.pager.takeFileError(), "");
}

INSTANTIATE_TEST_SUITE_P(Paths, BothPaths, ::testing::Values(Path::UsbProgrammer, Path::ParallelPort));

TEST(ReadFromPager, NothingConnectedChangesNothing) {
    Bench b(Path::ParallelPort);
    b.devices.port.attach(nullptr);
    const Image before = b.app.program().image;
    const std::string address = b.m.text("address1");
    b.app.menuCommand(element::readFromPager);
    EXPECT_EQ(b.host.events, (std::vector<std::string>{"progress: caption Reading data from Pager, please wait...",
                                                       "progress: show", "log: Read data from pager",
                                                       "log: Device not exist, please check the connection.",
                                                       "progress: hide", "beep"}));
    EXPECT_EQ(b.app.program().image, before);
    EXPECT_EQ(b.m.text("address1"), address);
}

TEST(ReadFromPager, BadChecksumChangesNothing) {
    Bench b(Path::UsbProgrammer);
    b.breakPagerChecksum();
    const Image before = b.app.program().image;
    b.app.menuCommand(element::readFromPager);
    EXPECT_TRUE(b.logged("Pager Read error, please check the connection."));
    EXPECT_FALSE(b.logged("Read completed"));
    EXPECT_EQ(b.app.program().image, before);
    EXPECT_FALSE(b.host.progressVisible);
}

TEST(ReadFromPager, DebugSavesTheRawBytesFirst) {
    Bench b(Path::UsbProgrammer);
    b.breakPagerChecksum();
    const auto file = std::filesystem::temp_directory_path() / ("pagerprog_debug_" + std::to_string(::getpid()));
    b.app.menuCommand(element::debug);
    b.host.saveAnswers.push_back(file.string());
    b.app.menuCommand(element::readFromPager);
    EXPECT_EQ(b.host.logLines, (std::vector<std::string>{"Read data from pager", "Save data to " + file.string(), "ok!",
                                                         "Pager Read error, please check the connection."}));
    std::ifstream in(file, std::ios::binary);
    const std::string bytes(std::istreambuf_iterator<char>(in), {});
    ASSERT_EQ(bytes.size(), kImageSize);
    EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), b.pager().begin(),
                           [](char c, std::uint8_t v) { return static_cast<std::uint8_t>(c) == v; }));
    std::filesystem::remove(file);

    b.host.clear();
    b.app.menuCommand(element::readFromPager);  // dialog cancelled: the read ends quietly
    EXPECT_EQ(b.host.logLines, std::vector<std::string>{"Read data from pager"});
    EXPECT_FALSE(b.host.progressVisible);
}

TEST(WriteToPager, FailedReadBackWritesNothing) {
    Bench b(Path::UsbProgrammer);
    b.breakPagerChecksum();
    const Image pagerBefore = b.pager();
    b.app.menuCommand(element::writeToPager);
    EXPECT_EQ(b.host.logLines, std::vector<std::string>{"Pager Read error, please check the connection."});
    EXPECT_EQ(b.pager(), pagerBefore);
    EXPECT_FALSE(b.host.progressVisible);
}

TEST(WriteToPager, RecoverSkipsTheReadBack) {
    Bench b(Path::UsbProgrammer);
    b.breakPagerChecksum();
    b.app.menuCommand(element::recoverKS8809);
    b.app.menuCommand(element::writeToPager);
    EXPECT_TRUE(b.logged("Verify OK !")) << "the damaged pager was not read first";
    EXPECT_EQ(b.pager()[0x185] & 0x10, 0) << "the chosen chip, KS8809, went into the pager";
    for (const auto& e : b.host.events) EXPECT_EQ(e.find("Read back hardware"), std::string::npos);
}

TEST(WriteToPager, DunlinSkipsTheReadBack) {
    Bench b(Path::UsbProgrammer);
    b.breakPagerChecksum();
    b.m.setIndex("customer", 2);
    b.app.menuCommand(element::writeToPager);
    EXPECT_EQ(b.host.logLines, (std::vector<std::string>{"Write to Pager...", "Verify OK !"}))
        << "the damaged pager was not read first";
    for (const auto& e : b.host.events) EXPECT_EQ(e.find("Read back hardware"), std::string::npos);
}

TEST(WriteToPager, EightAddressPagerLendsItsPllBacklightAndContrast) {
    Bench b(Path::UsbProgrammer);
    ASSERT_EQ(b.app.program().hardwareRevision, Revision::TV8);
    ASSERT_FALSE(b.m.checked("contrast_enable"));
    // The pager holds the other PLL chip and backlight than the window.
    const int pll = 1 - b.m.index("pll");
    const int backlight = 1 - b.m.index("backlight");
    b.pager() = eightAddressTemplate();
    b.pager()[0x185] = static_cast<std::uint8_t>((b.pager()[0x185] & ~0x10) | (pll << 4));
    b.pager()[0x17E] = static_cast<std::uint8_t>((b.pager()[0x17E] & ~0x04) | (backlight << 2));
    b.pager()[0x046] = 42;
    b.pager()[0x18E] = 77;  // a TV8 pager's block is not tested: a six-address pager would get the factory block
    b.pager()[kChecksumOffset] = imageChecksum(b.pager());
    b.m.setIndex("BS2", 3);
    b.app.menuCommand(element::writeToPager);
    EXPECT_TRUE(b.logged("Verify OK !"));
    EXPECT_EQ(b.m.index("pll"), pll);
    EXPECT_EQ(b.m.index("backlight"), backlight);
    EXPECT_EQ(b.m.text("contrast"), "42");
    EXPECT_EQ(b.m.text("BS2"), "3") << "the six-address hardware block is left alone";
    EXPECT_EQ(b.pager()[0x046], 42);
    EXPECT_EQ(b.host.events.front(), "progress: caption Writing data to Pager, please wait...");
}

// The failed verify names the bytes that differ, after the line that says it failed.
TEST(WriteToPager, VerifyFailureNamesTheBytesAndKeepsTheCapcodes) {
    Bench b(Path::UsbProgrammer);
    b.m.setIndex("autoinc1", 1);
    b.app.menuCommand(element::recoverSM5170);  // no read-back, which would see the fault first
    b.devices.pager.flipOnRead(0x300, 0x01);
    b.app.menuCommand(element::writeToPager);
    EXPECT_EQ(b.host.logLines, (std::vector<std::string>{"Write to Pager...", "Verify fail !",
                                                         "Differs at 0x300: expected 0x00, read 0x01"}));
    EXPECT_EQ(b.host.beeps, 2);
    EXPECT_EQ(b.m.text("address1"), "2004000");
}

TEST(WriteToPager, LostAcknowledgeOnTheParallelPort) {
    Bench b(Path::ParallelPort);
    b.devices.chip.missAcknowledgeAt(b.devices.chip.bytesReceived() + 2048 + 100);
    b.app.menuCommand(element::writeToPager);
    EXPECT_TRUE(b.logged("Pager can't be written"));
    EXPECT_FALSE(b.logged("Verify OK !"));
    EXPECT_FALSE(b.host.progressVisible);
    ASSERT_GE(b.host.events.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(b.host.events.end() - 4, b.host.events.end()),
              (std::vector<std::string>{"beep", "log: Pager can't be written", "beep", "progress: hide"}));
}

TEST(WriteToPager, ProgrammerErrorShowsOnlyItsBox) {
    Bench b(Path::UsbProgrammer);
    b.devices.programmer.errorLetterAtChunk = b.devices.programmer.chunks() + 70;
    b.devices.programmer.errorLetter = 'C';
    b.app.menuCommand(element::writeToPager);
    EXPECT_EQ(b.host.messages, std::vector<std::string>{"CRC error!"});
    EXPECT_EQ(b.host.logLines, std::vector<std::string>{"Write to Pager..."});
    EXPECT_FALSE(b.host.progressVisible);
}

TEST(WriteToPager, SixAddressPagerWithAStrangeHardwareBlockGetsTheFactoryBlock) {
    Bench b(Path::UsbProgrammer);
    b.app.menuCommand(element::switchModel);  // TV8 -> TV7r2
    ASSERT_EQ(b.app.program().hardwareRevision, Revision::TV7r2);
    b.pager()[0x18E] = 77;  // gone-battery code out of its range
    b.pager()[kChecksumOffset] = imageChecksum(b.pager());
    b.m.setIndex("BS2", 3);
    b.app.menuCommand(element::writeToPager);
    EXPECT_TRUE(b.logged("Verify OK !"));
    EXPECT_EQ(b.m.text("fullbat"), "1.50");
    EXPECT_EQ(b.m.text("halfbat"), "0.95");
    EXPECT_EQ(b.m.text("lowbat"), "0.95");
    EXPECT_EQ(b.m.text("gonebat"), "0.77");
    EXPECT_EQ(b.m.text("BS2"), "15");
    EXPECT_EQ(b.m.text("backlight"), "LED");
    EXPECT_EQ(b.pager()[0x016] & 0x68, 0x68);
}

TEST(WriteToPager, SixAddressPagerKeepsItsOwnCalibration) {
    Bench b(Path::UsbProgrammer);
    b.app.menuCommand(element::switchModel);
    b.pager()[0x18B] = 150;  // a pager calibrated at the factory
    b.pager()[0x015] = 0x2C;
    b.pager()[kChecksumOffset] = imageChecksum(b.pager());
    b.app.menuCommand(element::writeToPager);
    EXPECT_EQ(b.m.text("BS2"), "12");
    EXPECT_EQ(b.m.text("BS3"), "2");
    EXPECT_EQ(b.m.text("fullbat"), "1.58") << "2.70 x 150 / 256 = 1.582";
    EXPECT_EQ(b.pager()[0x18B], 150) << "the calibration survives the write";
}

TEST(WriteToPager, DecimalCommaDefaultsStillEncode) {
    Bench b(Path::UsbProgrammer, ',');
    b.app.menuCommand(element::switchModel);
    b.pager()[0x18E] = 77;
    b.pager()[kChecksumOffset] = imageChecksum(b.pager());
    EXPECT_TRUE(b.app.menuCommand(element::writeToPager)) << (b.host.messages.empty() ? "" : b.host.messages[0]);
    EXPECT_EQ(b.m.text("fullbat"), "1,50");
    EXPECT_EQ(b.pager()[0x18B], 142);
}

// Fails when a disabled slot's stored value (0 in a factory-fresh pager) stops a write: the
// pager does not listen on it, so only enabled slots are checked.
TEST(WriteToPager, CapcodeCheckLooksAtEnabledSlotsOnly) {
    struct Case {
        const char* what;
        int slot;
        const char* capcode;
        bool enabled;
        std::optional<std::string> problem;
    };
    const Case cases[] = {
        {"disabled slot holding 0", 7, "0", false, std::nullopt},
        {"disabled slot repeating slot 1", 7, "2004000", false, std::nullopt},
        {"enabled slot out of range", 7, "0", true, "address7 0 is out of range"},
        {"enabled slot repeating slot 1", 7, "2004000", true, "address1 repeats the capcode of address7"},
    };
    for (const Case& c : cases) {
        Bench b(Path::UsbProgrammer);
        b.m.setChecked(field::addrEn(c.slot), c.enabled);
        b.m.setText(field::address(c.slot), c.capcode);
        EXPECT_EQ(capcodeProblem(b.app.context()), c.problem) << c.what;
    }
}

}  // namespace
}  // namespace pagerprog
