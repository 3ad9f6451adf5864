// Traces of the pager link: the parallel-port bus as a VCD that sigrok's stock I2C decoder
// reads without a complaint and from which the bytes written and read come back exactly,
// and the USB programmer's reports as lines of time, direction and bytes.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "link/sim/simulated_devices.h"
#include "support/i2c_decode.h"
#include "support/pager_rig.h"

namespace pagerprog {
namespace {

std::vector<std::string> fileLines(const std::string& path) {
    std::ifstream file(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);) lines.push_back(line);
    return lines;
}

// One file a test process: ctest runs the cases of one suite in processes side by side.
std::string tracePath(const char* name) { return ::testing::TempDir() + name + std::to_string(::getpid()); }

// A read and then a write with its verify in one trace: the decode must find the bus idle
// between the transfers (switching the adapter off leaves no start condition behind).
class BusTraceTest : public ::testing::TestWithParam<bool> {};

TEST_P(BusTraceTest, DecodesCleanlyAndRebuildsTheBytesWrittenAndRead) {
    testing::PagerRig rig{SimulatedDevices::Path::ParallelPort};
    rig.link.hid().start();
    rig.link.timing().acknowledgePolling = GetParam();
    const std::string path = tracePath("bus.vcd");
    ASSERT_FALSE(rig.link.startTrace(path));
    const Image before = rig.devices.pager.memory;
    Image readBuffer{};
    ASSERT_EQ(rig.transfer(kChip24C16, 0, kReadMode, readBuffer), TransferResult::ReadDone);
    const Image image = SimulatedPager::patternImage(13);
    Image source = image;
    ASSERT_EQ(rig.transfer(kChip24C16, 0, kWriteMode, source), TransferResult::VerifyOk);
    rig.link.stopTrace();

    const testing::I2cDecode decode = testing::decodeI2c(path);
    EXPECT_EQ(decode.status, 0);
    EXPECT_EQ(decode.errors, "");
    for (const auto& annotation : decode.annotations) EXPECT_EQ(annotation.find("arning"), std::string::npos);
    const testing::ChipTraffic traffic = testing::chipTraffic(decode.annotations);
    ASSERT_EQ(traffic.stored.size(), kImageSize);
    for (const auto& [address, byte] : traffic.stored) EXPECT_EQ(byte, image[address]) << address;
    ASSERT_EQ(traffic.read.size(), 2 * kImageSize);  // the read, then the verify
    EXPECT_TRUE(std::equal(before.begin(), before.end(), traffic.read.begin()));
    EXPECT_TRUE(std::equal(image.begin(), image.end(), traffic.read.begin() + kImageSize));
    // Polls of a chip busy with its write cycle go unanswered; without polling there are none.
    EXPECT_EQ(traffic.unacknowledgedAddresses > 0, GetParam());
    std::remove(path.c_str());
}

INSTANTIATE_TEST_SUITE_P(WriteModes, BusTraceTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "AcknowledgePolling" : "BusFreeWait"; });

TEST(BusTrace, DeclaresTheTimescaleAndTheLinesByName) {
    testing::PagerRig rig{SimulatedDevices::Path::ParallelPort};
    rig.link.hid().start();
    const std::string path = tracePath("header.vcd");
    ASSERT_FALSE(rig.link.startTrace(path));
    Image buffer{};
    ASSERT_EQ(rig.transfer(kChip24C16, 0, kReadMode, buffer), TransferResult::ReadDone);
    rig.link.stopTrace();
    const auto lines = fileLines(path);
    std::vector<std::string> vars;
    for (const auto& line : lines)
        if (line.rfind("$var ", 0) == 0) vars.push_back(line);
    EXPECT_NE(std::find(lines.begin(), lines.end(), "$timescale 1 us $end"), lines.end());
    EXPECT_EQ(vars, (std::vector<std::string>{"$var wire 1 ! SCL $end", "$var wire 1 # SDA $end",
                                              "$var wire 1 % SDA_OUT $end", "$var wire 1 & POWER $end",
                                              "$var wire 1 * STATUS_READ $end", "$var wire 1 + SDA_IN $end"}));
    // Times only grow.
    long long last = -1;
    for (const auto& line : lines) {
        if (line.empty() || line[0] != '#') continue;
        const long long time = std::stoll(line.substr(1));
        EXPECT_GT(time, last);
        last = time;
    }
    std::remove(path.c_str());
}

TEST(ReportTrace, HoldsEveryReportExchangedInOrder) {
    testing::PagerRig rig{SimulatedDevices::Path::UsbProgrammer};
    rig.link.hid().start();
    const auto requestsBefore = rig.devices.programmer.requests.size();
    const std::string path = tracePath("reports.txt");
    ASSERT_FALSE(rig.link.startTrace(path));
    Image source = SimulatedPager::patternImage(3);
    ASSERT_EQ(rig.transfer(kChip24C16, 0, kWriteMode, source), TransferResult::VerifyOk);
    rig.link.stopTrace();

    const auto& requests = rig.devices.programmer.requests;
    std::vector<std::vector<std::uint8_t>> sent, received;
    long long last = -1;
    for (const auto& line : fileLines(path)) {
        std::istringstream words(line);
        long long time = 0;
        std::string direction;
        ASSERT_TRUE(words >> time >> direction) << line;
        EXPECT_GE(time, last);
        last = time;
        std::vector<std::uint8_t> bytes;
        for (std::string hex; words >> hex;) bytes.push_back(static_cast<std::uint8_t>(std::stoul(hex, nullptr, 16)));
        ASSERT_TRUE(direction == "out" || direction == "in") << line;
        (direction == "out" ? sent : received).push_back(bytes);
    }
    ASSERT_EQ(sent.size(), 2 * kImageSize / 32);  // the chunks written, then those read back
    EXPECT_EQ(sent, std::vector<std::vector<std::uint8_t>>(requests.begin() + static_cast<long>(requestsBefore),
                                                           requests.end()));
    ASSERT_EQ(received.size(), sent.size());
    for (const auto& reply : received) EXPECT_EQ(reply.size(), 65u);
    std::remove(path.c_str());
}

TEST(LinkTrace, FileThatCannotBeMadeIsRefusedWithALine) {
    testing::PagerRig rig{SimulatedDevices::Path::ParallelPort};
    const auto error = rig.link.startTrace("/nonexistent-folder/trace.vcd");
    ASSERT_TRUE(error);
    EXPECT_EQ(*error, "Cannot write the trace file /nonexistent-folder/trace.vcd");
    EXPECT_EQ(rig.link.trace(), nullptr);
}

}  // namespace
}  // namespace pagerprog
