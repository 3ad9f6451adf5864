// The transfer engine over both simulated paths: full read, write and verify, the mode
// text, and every injected fault: only a pager holding exactly the image is verified.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>

#include "context/context.h"
#include "link/bus_master.h"
#include "link/clock.h"
#include "link/pager_link.h"
#include "link/sim/simulated_devices.h"
#include "support/pager_rig.h"

namespace pagerprog {
namespace {

using Path = SimulatedDevices::Path;

struct Rig : testing::PagerRig {
    explicit Rig(Path path) : PagerRig(path) { link.hid().start(); }
};

class BothPathsTest : public ::testing::TestWithParam<Path> {};

TEST_P(BothPathsTest, ReadWriteAndVerifyTheWholePager) {
    Rig rig(GetParam());
    EXPECT_EQ(rig.context.program.usbProgrammerInUse, GetParam() == Path::UsbProgrammer);
    Image buffer{};
    ASSERT_EQ(rig.transfer(kChip24C16, 0, kReadMode, buffer), TransferResult::ReadDone);
    EXPECT_EQ(buffer, SimulatedPager::factoryImage());
    EXPECT_TRUE(imageChecksumOk(buffer));

    const Image image = SimulatedPager::patternImage(13);
    Image source = image;
    ASSERT_EQ(rig.transfer(kChip24C16, 0, kWriteMode, source), TransferResult::VerifyOk);
    EXPECT_EQ(source, image);
    EXPECT_EQ(rig.devices.pager.memory, image);
    EXPECT_EQ(rig.host.progressCaptionText, kVerifyCaption);

    ASSERT_EQ(rig.transfer(kChip24C16, 0, "R", buffer), TransferResult::ReadDone);
    EXPECT_EQ(buffer, image);
    EXPECT_TRUE(rig.host.messages.empty());
}

TEST_P(BothPathsTest, ModeTextOtherThanRWrites) {
    for (const char* mode : {"w", "W", "x", ""}) {
        Rig rig(GetParam());
        Image source = SimulatedPager::patternImage(5);
        EXPECT_EQ(rig.transfer(kChip24C16, 0, mode, source), TransferResult::VerifyOk) << mode;
        EXPECT_EQ(rig.devices.pager.memory, source) << mode;
    }
}

TEST_P(BothPathsTest, ChipOutsideTheFamilyOrShortBufferMovesNothing) {
    Rig rig(GetParam());
    Image buffer{};
    EXPECT_EQ(rig.transfer("17", 0, "r", buffer), TransferResult::TransferFailed);
    EXPECT_EQ(rig.transfer("17", 0, "w", buffer), TransferResult::WriteFailed);
    std::array<std::uint8_t, 100> small{};
    EXPECT_EQ(rig.transfer(kChip24C16, 0, kReadMode, small), TransferResult::TransferFailed);
    EXPECT_EQ(rig.host.progressSteps, 0);
    EXPECT_EQ(rig.devices.pager.memory, SimulatedPager::factoryImage());
}

TEST_P(BothPathsTest, OneFlippedBitOnReadBackReturnsOneAndLeavesTheSource) {
    Rig rig(GetParam());
    rig.devices.pager.flipOnRead(0x7FE, 0x80);
    const Image image = SimulatedPager::patternImage(3);
    Image source = image;
    EXPECT_EQ(rig.transfer(kChip24C16, 0, kWriteMode, source), TransferResult::VerifyDiffers);
    EXPECT_EQ(source, image);
}

INSTANTIATE_TEST_SUITE_P(Paths, BothPathsTest, ::testing::Values(Path::ParallelPort, Path::UsbProgrammer),
                         [](const auto& info) { return info.param == Path::ParallelPort ? "Lpt" : "Usb"; });

// Every fault, on its path: a write ends in "verified" only when the pager holds exactly
// the image.
struct FaultCase {
    const char* name;
    Path path;
    std::function<void(Rig&)> inject;
    bool mustShow = true;  // false: a harmless fault the transfer may ride out
};

class FaultTest : public ::testing::TestWithParam<FaultCase> {};

TEST_P(FaultTest, NeverVerifiedUnlessThePagerHoldsTheImage) {
    Rig rig(GetParam().path);
    GetParam().inject(rig);
    const Image image = SimulatedPager::patternImage(11);
    Image source = image;
    const auto result = rig.transfer(kChip24C16, 0, kWriteMode, source);
    EXPECT_EQ(source, image);
    if (result == TransferResult::VerifyOk) {
        EXPECT_EQ(rig.devices.pager.memory, image);
    }
    if (GetParam().mustShow) {
        EXPECT_NE(result, TransferResult::VerifyOk);
    }
}

std::vector<FaultCase> faultCases() {
    std::vector<FaultCase> cases = {
        {"LptNoDevice", Path::ParallelPort, [](Rig& r) { r.devices.port.attach(nullptr); }},
        {"LptClaimRefused", Path::ParallelPort, [](Rig& r) { r.devices.port.failClaim("no port"); }},
        {"LptFlippedBit", Path::ParallelPort, [](Rig& r) { r.devices.pager.flipOnRead(0x400, 0x01); }},
        {"LptBusFreeTooShort", Path::ParallelPort, [](Rig& r) { r.link.timing().busFreeMs = 1; }},
        {"LptStuckSdaInVerify", Path::ParallelPort, [](Rig& r) { r.devices.port.sdaInputStuckHighAt(128 * 18 + 1); }},
        {"UsbNoEeprom", Path::UsbProgrammer, [](Rig& r) { r.devices.programmer.eepromPresent = false; }},
        {"UsbFlippedBit", Path::UsbProgrammer, [](Rig& r) { r.devices.pager.flipOnRead(0x000, 0x40); }},
        {"LptControlAckMisread", Path::ParallelPort, [](Rig& r) { r.devices.port.sdaInputStuckHighAt(0); }, false},
        {"UsbLetterE", Path::UsbProgrammer,
         [](Rig& r) {
             r.devices.programmer.errorLetter = 'E';
             r.devices.programmer.errorLetterAtChunk = 3;
         },
         false},
    };
    for (long byte : {0L, 1L, 2L, 17L, 5L * 18 + 2, 127L * 18 + 17, 128L * 18 + 1}) {
        cases.push_back(
            {"LptMissingAck", Path::ParallelPort, [byte](Rig& r) { r.devices.chip.missAcknowledgeAt(byte); }});
    }
    for (long chunk : {0L, 31L, 63L, 64L, 127L}) {
        for (std::uint8_t letter : {'A', 'B', 'C', 'D'})
            cases.push_back({"UsbErrorLetter", Path::UsbProgrammer, [chunk, letter](Rig& r) {
                                 r.devices.programmer.errorLetter = letter;
                                 r.devices.programmer.errorLetterAtChunk = chunk;
                             }});
        cases.push_back(
            {"UsbSilent", Path::UsbProgrammer, [chunk](Rig& r) { r.devices.programmer.silentFromChunk = chunk; }});
        cases.push_back(
            {"UsbUnplug", Path::UsbProgrammer, [chunk](Rig& r) { r.devices.programmer.unplugAtChunk = chunk; }});
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Faults, FaultTest, ::testing::ValuesIn(faultCases()),
                         [](const auto& info) { return std::string(info.param.name) + std::to_string(info.index); });

// The pager file is the simulated pager's memory: every committed write reaches it.
TEST(SimulatedPager, StartsWithAValidFactoryImageAndIsKeptInItsPagerFile) {
    SimulatedPager pager;
    EXPECT_TRUE(imageChecksumOk(pager.memory));
    EXPECT_TRUE(std::equal(pager.memory.begin(), pager.memory.end() - 1, sixAddressTemplate().begin()));

    const auto folder = std::filesystem::temp_directory_path() / "link_transfer_test_pager";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    const auto path = (folder / "pager.eep").string();
    EXPECT_EQ(pager.keepIn(path), SimulatedPager::PagerFile::Missing);
    EXPECT_FALSE(std::filesystem::exists(path)) << "created at the first write";
    pager.memory = SimulatedPager::patternImage(9);
    pager.commit();
    SimulatedPager other;
    EXPECT_EQ(other.keepIn(path), SimulatedPager::PagerFile::Loaded);
    EXPECT_EQ(other.memory, pager.memory);

    // Fails when a write the file cannot take is kept in memory: the pager would verify
    // what it never stored.
    std::filesystem::remove_all(folder);
    const Image stored = other.memory;
    other.memory[5] ^= 0xFF;
    other.commit();
    EXPECT_EQ(other.memory, stored) << "the write is lost, as the file never took it";
    EXPECT_NE(other.takeFileError().find("cannot be written"), std::string::npos);
    EXPECT_EQ(other.takeFileError(), "");
}

// Fails when a file that is no pager file is taken for a factory-fresh pager and later
// overwritten, or read whole into memory.
TEST(SimulatedPager, RefusesAFileThatIsNoPagerFileAndLeavesItAlone) {
    const auto folder = std::filesystem::temp_directory_path() / "link_transfer_test_refusals";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder / "folder.eep");
    struct Case {
        const char* name;
        std::size_t bytes;
        const char* why;
    };
    for (const Case& c : {Case{"short.eep", 100, "holds 100 bytes, not 2048"}, Case{"one.eep", 1, "holds 1 bytes"},
                          Case{"long.eep", 5000, "holds more than 2048 bytes"},
                          Case{"one-more.eep", 2049, "holds more than 2048 bytes"}}) {
        const auto path = folder / c.name;
        std::ofstream(path, std::ios::binary) << std::string(c.bytes, 'n');
        SimulatedPager pager;
        try {
            pager.keepIn(path.string());
            ADD_FAILURE() << c.name << " was taken";
        } catch (const std::runtime_error& error) {
            EXPECT_NE(std::string(error.what()).find(c.why), std::string::npos) << error.what();
        }
        EXPECT_EQ(std::filesystem::file_size(path), c.bytes) << c.name;
        EXPECT_EQ(pager.memory, SimulatedPager::factoryImage());
    }
    for (const char* path : {"/dev/zero", "/dev/null"}) {
        SimulatedPager pager;
        EXPECT_THROW(pager.keepIn(path), std::runtime_error) << path;
    }
    SimulatedPager pager;
    EXPECT_THROW(pager.keepIn((folder / "folder.eep").string()), std::runtime_error);
    // An empty file holds nothing to lose: it is a factory-fresh pager that keeps its writes.
    const auto empty = folder / "empty.eep";
    std::ofstream{empty};
    SimulatedPager fresh;
    EXPECT_EQ(fresh.keepIn(empty.string()), SimulatedPager::PagerFile::Missing);
    fresh.commit();
    EXPECT_EQ(std::filesystem::file_size(empty), kImageSize);
    std::filesystem::remove_all(folder);
}

TEST(Simulated24C16, PageWriteWrapsAroundWithinItsPage) {
    SimulatedClock clock;
    SimulatedDevices devices(clock, Path::ParallelPort);
    BusTiming timing;
    BusMaster bus(devices.port, clock, timing);
    bus.setChip(*findChip(16));
    ASSERT_FALSE(bus.adapterOn(parallel_port::lpt1.base).has_value());
    std::array<std::uint8_t, 16> bytes{};
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(0xC0 + i);
    const Image before = devices.pager.memory;
    ASSERT_TRUE(bus.writePage(0, 0x128, bytes, 0));  // starts in the middle of page 0x120
    bus.adapterOff();
    for (unsigned i = 0; i < 16; ++i) EXPECT_EQ(devices.pager.memory[0x120 + ((8 + i) & 15)], bytes[i]) << i;
    EXPECT_TRUE(std::equal(before.begin(), before.begin() + 0x120, devices.pager.memory.begin()));
    EXPECT_TRUE(std::equal(before.begin() + 0x130, before.end(), devices.pager.memory.begin() + 0x130));
}

}  // namespace
}  // namespace pagerprog
