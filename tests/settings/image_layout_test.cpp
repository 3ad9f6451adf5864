// The image layout checked against itself: every byte of the image is accounted for
// exactly once, so a row added at the wrong place, or a byte forgotten, fails here.
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "settings/field_table.h"
#include "settings/image_layout.h"

namespace pagerprog {
namespace {

class LayoutTest : public ::testing::TestWithParam<Layout> {};

// Which bits each row writes; a bit written by two rows would make one of them lie.
TEST_P(LayoutTest, NoTwoRowsClaimTheSameBit) {
    std::array<std::uint8_t, kImageSize> claimed{};
    std::array<std::string, kImageSize> owner{};
    for (const ImageField& row : imageLayout(GetParam())) {
        for (const auto& [offset, mask] : claimedBits(row)) {
            ASSERT_LT(offset, kImageSize) << row.field;
            EXPECT_EQ(claimed[offset] & mask, 0) << row.field << " and " << owner[offset] << " share byte " << offset;
            claimed[offset] |= mask;
            owner[offset] = row.field;
        }
    }
}

TEST_P(LayoutTest, EveryRowNamesAFieldOfTheTable) {
    for (const ImageField& row : imageLayout(GetParam())) {
        if (row.field.empty()) {
            EXPECT_TRUE(row.coding == Coding::Constant || row.coding == Coding::Quirk) << "a row without a field";
            continue;
        }
        EXPECT_NE(findFieldDef(row.field), nullptr) << row.field;
        EXPECT_TRUE(row.fireAfter.empty() || findFieldDef(row.fireAfter) != nullptr) << row.fireAfter;
    }
}

// A byte no row writes must be listed as kept, or it is one the layout forgot.
TEST_P(LayoutTest, EveryByteIsOwnedKeptOrTheChecksum) {
    std::array<int, kImageSize> accounts{};
    for (const ImageField& row : imageLayout(GetParam())) {
        std::array<bool, kImageSize> touched{};
        for (const auto& [offset, mask] : claimedBits(row)) touched[offset] = true;
        for (std::size_t i = 0; i < kImageSize; ++i) accounts[i] += touched[i] ? 1 : 0;
    }
    std::array<int, kImageSize> kept{};
    for (const KeptBytes& run : keptBytes(GetParam())) {
        for (std::size_t i = run.offset; i < std::size_t{run.offset} + run.length; ++i) {
            ASSERT_LT(i, kImageSize) << run.name;
            EXPECT_EQ(accounts[i], 0) << run.name << " keeps byte " << i << ", which a row writes";
            ++kept[i];
        }
    }
    ++kept[kChecksumOffset];
    for (std::size_t i = 0; i < kImageSize; ++i) {
        EXPECT_TRUE(accounts[i] > 0 || kept[i] == 1) << "byte " << i << " belongs to nobody";
        EXPECT_LE(kept[i], 1) << "byte " << i << " is kept twice";
    }
}

INSTANTIATE_TEST_SUITE_P(Layouts, LayoutTest, ::testing::Values(Layout::SixAddress, Layout::EightAddress),
                         [](const auto& info) { return info.param == Layout::SixAddress ? "Six" : "Eight"; });

TEST(LayoutRows, PlainRowsAreReadAndWrittenByName) {
    Image image{};
    storeBits(image, Layout::SixAddress, field::errcorrect, 2);
    storeBits(image, Layout::SixAddress, field::pll, 1);
    EXPECT_EQ(image[0x016], 0x08);
    EXPECT_EQ(image[0x185], 0x10);
    EXPECT_EQ(storedBits(image, Layout::EightAddress, field::pll), 1u);
    EXPECT_THROW(storedBits(image, Layout::EightAddress, field::errcorrect), std::out_of_range);
    EXPECT_THROW(keptRun(Layout::EightAddress, kept::decoderSetup), std::out_of_range);
    EXPECT_EQ(keptRun(Layout::SixAddress, kept::modelCode).offset, 0x066);
}

}  // namespace
}  // namespace pagerprog
