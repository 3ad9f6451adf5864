// Report lengths from small hand-made HID report descriptors, and the request CRC.
#include <gtest/gtest.h>

#include <string_view>
#include <vector>

#include "link/chip_table.h"
#include "link/crc8.h"
#include "link/report_descriptor.h"

namespace pagerprog {
namespace {

struct DescriptorCase {
    const char* name;
    std::vector<std::uint8_t> descriptor;
    std::size_t input, output;
    std::uint8_t inputId = 0, outputId = 0;  // the IDs of those reports, 0 when unnumbered
};

class ReportDescriptorTest : public ::testing::TestWithParam<DescriptorCase> {};

TEST_P(ReportDescriptorTest, LengthsIncludeTheReportIdByte) {
    const auto lengths = reportLengths(GetParam().descriptor);
    EXPECT_EQ(lengths.input, GetParam().input) << GetParam().name;
    EXPECT_EQ(lengths.output, GetParam().output) << GetParam().name;
    EXPECT_EQ(lengths.inputId, GetParam().inputId) << GetParam().name;
    EXPECT_EQ(lengths.outputId, GetParam().outputId) << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(
    Descriptors, ReportDescriptorTest,
    ::testing::Values(
        // Vendor page, 64 bytes each way: the programmer's kind of device.
        DescriptorCase{"vendor64",
                       {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x15, 0x00, 0x26, 0xFF, 0x00, 0x75,
                        0x08, 0x95, 0x40, 0x09, 0x01, 0x81, 0x02, 0x09, 0x02, 0x91, 0x02, 0xC0},
                       65,
                       65},
        // Three 1-bit buttons, 5 bits padding, X and Y bytes: rounded up to whole bytes.
        DescriptorCase{"mouse",
                       {0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x05, 0x09, 0x19, 0x01, 0x29, 0x03, 0x75, 0x01, 0x95, 0x03,
                        0x81, 0x02, 0x75, 0x05, 0x95, 0x01, 0x81, 0x01, 0x75, 0x08, 0x95, 0x02, 0x81, 0x06, 0xC0},
                       4,
                       0},
        // 12 bits of input only: two bytes.
        DescriptorCase{"odd bits", {0x75, 0x04, 0x95, 0x03, 0x81, 0x02}, 3, 0},
        // The programmer's reports under report ID 0x5A.
        DescriptorCase{"numbered vendor64",
                       {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x5A, 0x15, 0x00, 0x26, 0xFF, 0x00,
                        0x75, 0x08, 0x95, 0x40, 0x09, 0x01, 0x81, 0x02, 0x09, 0x02, 0x91, 0x02, 0xC0},
                       65,
                       65,
                       0x5A,
                       0x5A},
        // Two numbered reports: the longer one counts, with its ID; the output stays under ID 2.
        DescriptorCase{"report ids",
                       {0x85, 0x01, 0x75, 0x08, 0x95, 0x08, 0x81, 0x02, 0x85, 0x02, 0x95, 0x10, 0x81, 0x02, 0x95, 0x04,
                        0x91, 0x02},
                       17,
                       5,
                       2,
                       2},
        // Equally long numbered reports: the lowest ID counts.
        DescriptorCase{
            "equal reports", {0x85, 0x07, 0x75, 0x08, 0x95, 0x04, 0x81, 0x02, 0x85, 0x03, 0x81, 0x02}, 5, 0, 3, 0},
        // Push and pop bring the report size and count back.
        DescriptorCase{"push pop", {0x75, 0x08, 0x95, 0x02, 0xA4, 0x95, 0x20, 0x81, 0x02, 0xB4, 0x91, 0x02}, 33, 3},
        // A 4-byte report count and a long item in between.
        DescriptorCase{
            "long items", {0x75, 0x08, 0x97, 0x06, 0x00, 0x00, 0x00, 0xFE, 0x02, 0x10, 0xAA, 0xBB, 0x81, 0x02}, 7, 0},
        // Feature reports count for neither.
        DescriptorCase{"feature only", {0x75, 0x08, 0x95, 0x08, 0xB1, 0x02}, 0, 0},
        // Cut off in the middle of an item: what came before still counts.
        DescriptorCase{"truncated", {0x75, 0x08, 0x95, 0x04, 0x91, 0x02, 0x95}, 0, 5},
        DescriptorCase{"empty", {}, 0, 0}));

TEST(Crc8, IsCrc8Maxim) {
    const std::string_view abc = "abc";
    EXPECT_EQ(crc8(std::span(reinterpret_cast<const std::uint8_t*>(abc.data()), abc.size())), 0x42);
    const std::uint8_t one = 0x01;
    EXPECT_EQ(crc8(std::span(&one, 1)), 0x5E);
    EXPECT_EQ(crc8(std::span<const std::uint8_t>{}), 0x00);
    // Folding byte by byte gives the same as the whole run.
    EXPECT_EQ(crc8(crc8(crc8(0, 'a'), 'b'), 'c'), 0x42);
}

TEST(ChipTable, HoldsTheWholeFamily) {
    struct Row {
        const char* text;
        std::size_t length, page;
        std::uint8_t code;
    };
    for (const auto& row :
         {Row{"1", 128, 1, 0x00}, Row{"2", 256, 1, 0x10}, Row{"4", 512, 16, 0x20}, Row{"8", 1024, 16, 0x30},
          Row{"16", 2048, 16, 0x40}, Row{"32", 4096, 32, 0x50}, Row{"64", 8192, 32, 0x60}, Row{"128", 16384, 64, 0x70},
          Row{"256", 32768, 64, 0x80}, Row{"512", 65536, 64, 0x90}}) {
        const auto chip = findChip(std::string_view(row.text));
        ASSERT_TRUE(chip.has_value()) << row.text;
        EXPECT_EQ(chip->totalLength, row.length) << row.text;
        EXPECT_EQ(chip->pageSize, row.page) << row.text;
        EXPECT_EQ(chip->chipCode, row.code) << row.text;
    }
    for (const char* text : {"", "17", "16x", "-16", " 16", "65552"})
        EXPECT_FALSE(findChip(std::string_view(text))) << text;
}

}  // namespace
}  // namespace pagerprog
