// The image helpers and both built-in templates against the pager's byte layout.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "settings/image_layout.h"
#include "settings/prompt_texts.h"
#include "settings/revision.h"

namespace pagerprog {
namespace {

std::string bytesAt(const Image& image, std::size_t at, std::size_t count) {
    return std::string(reinterpret_cast<const char*>(image.data() + at), count);
}

TEST(Mirror, ReversesTheLowBitsOnly) {
    EXPECT_EQ(mirror3(1), 4);
    EXPECT_EQ(mirror3(6), 3);
    EXPECT_EQ(mirror2(1), 2);
    EXPECT_EQ(mirror2(3), 3);
    EXPECT_EQ(mirror4(0x1), 0x8);
    EXPECT_EQ(mirror4(0x3), 0xC);
    EXPECT_EQ(mirror8(0x01), 0x80);
    EXPECT_EQ(mirror8(0xA5), 0xA5);
    EXPECT_EQ(mirror8(0x12), 0x48);
    for (unsigned v = 0; v < 256; ++v) EXPECT_EQ(mirror8(mirror8(v)), v) << v;
    EXPECT_EQ(mirror3(0x0E), mirror3(6)) << "bits above the mirrored width are ignored";
}

TEST(Checksum, AcceptsOnlyImagesSummingToFF) {
    Image image{};
    image[0x10] = 0x20;
    image[0x7FE] = 0x33;
    image[kChecksumOffset] = imageChecksum(image);
    EXPECT_EQ(imageChecksum(image), static_cast<std::uint8_t>(0xFF - 0x53));
    EXPECT_TRUE(imageChecksumOk(image));
    image[kChecksumOffset] ^= 1;
    EXPECT_FALSE(imageChecksumOk(image));
    Image allFF;
    allFF.fill(0xFF);
    EXPECT_FALSE(imageChecksumOk(allFF)) << "an erased chip sums to 0x00, not 0xFF";
}

TEST(CapcodeEight, WorkedExamples) {
    Image image{};
    writeCapcodeEntryEight(image, 1, 2004000, true);
    EXPECT_EQ(bytesAt(image, 0, 4), std::string("\x86\xC0\x4B\x21", 4));
    writeCapcodeEntryEight(image, 2, 2004000, true);
    EXPECT_EQ(image[5], 0xC4);
    writeCapcodeEntryEight(image, 1, 2004003, true);
    EXPECT_EQ(bytesAt(image, 0, 4), std::string("\x86\xF0\x4B\x21", 4));
    writeCapcodeEntryEight(image, 1, 2097143, false);
    EXPECT_EQ(image[0], 0x06);
    EXPECT_EQ(image[1] & 0xF8, 0xF8);
    EXPECT_EQ(image[2], 0xFF);
    EXPECT_EQ(image[3], 0x7F);
}

TEST(CapcodeEight, EverySlotRoundTripsAcrossTheCapcodeRange) {
    for (int slot = 1; slot <= 8; ++slot) {
        for (std::uint32_t capcode : {0u, 8u, 7u, 2004000u, 2004013u, 2007663u, 2045064u, 2097143u, 0x1FFFFFu}) {
            Image image{};
            writeCapcodeEntryEight(image, slot, capcode, slot % 2 == 1);
            const CapcodeEntry entry = readCapcodeEight(image, slot);
            EXPECT_EQ(entry.capcode, capcode) << "slot " << slot;
            EXPECT_EQ(entry.enabled, slot % 2 == 1);
            EXPECT_EQ(image[4 * (slot - 1) + 1] & 7, mirror3(static_cast<unsigned>(slot - 1)));
        }
    }
}

TEST(CapcodeSix, EntryHoldsCapcodeWithoutFrame) {
    Image image{};
    writeCapcodeEntrySix(image, 1, 2004000);
    EXPECT_EQ(bytesAt(image, 0, 3), std::string("\x84\xD2\x03", 3));
    writeCapcodeEntrySix(image, 1, 2004003);
    EXPECT_EQ(bytesAt(image, 0, 3), std::string("\x84\xD2\x03", 3)) << "the frame lives in byte 0x013";
    writeCapcodeEntrySix(image, 6, 2097143);
    EXPECT_EQ(bytesAt(image, 15, 3), std::string("\xFE\xFF\x03", 3));
    image[0x013] = 0x80 | (5 << 3) | 3;
    EXPECT_EQ(readCapcodeSix(image, 1), 2004005u);
    EXPECT_EQ(readCapcodeSix(image, 6), 2097139u);
    image[0x013] = 0x80 | 7;
    EXPECT_EQ(readCapcodeSix(image, 6), 2097143u);
}

TEST(CapcodeEntries, RejectSlotsOutsideTheLayout) {
    Image image{};
    EXPECT_THROW(writeCapcodeEntrySix(image, 7, 8), std::out_of_range);
    EXPECT_THROW(readCapcodeEight(image, 0), std::out_of_range);
    EXPECT_THROW(readCapcodeEight(image, 9), std::out_of_range);
}

TEST(Templates, AddressAreasMatchTheFactoryBytes) {
    const Image& six = sixAddressTemplate();
    const std::string sixHead(
        "\x84\xD2\x03\x85\xD2\x03\x86\xD2\x03\x87\xD2\x03\x88\xD2\x03\x89\xD2\x03\x3F\xC0\x06\x0F\x69\x00\x00\x00\x00"
        "\x00\x00\x00\xC4\x09\xC0\x2E\xB7\x09\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00",
        48);
    EXPECT_EQ(bytesAt(six, 0, 48), sixHead);
    for (int slot = 1; slot <= 6; ++slot) EXPECT_EQ(readCapcodeSix(six, slot), 2004000u + 8u * (slot - 1));
    EXPECT_EQ(six[0x20] | six[0x21] << 8 | six[0x22] << 16 | six[0x23] << 24, 163000000);

    const Image& eight = eightAddressTemplate();
    for (int slot = 1; slot <= 4; ++slot) {
        EXPECT_EQ(readCapcodeEight(eight, slot).capcode, 2004000u) << "slot bits are not part of the capcode";
        EXPECT_TRUE(readCapcodeEight(eight, slot).enabled);
    }
    for (int slot = 5; slot <= 8; ++slot) {
        EXPECT_EQ(readCapcodeEight(eight, slot).capcode, 0u);
        EXPECT_FALSE(readCapcodeEight(eight, slot).enabled);
    }
    EXPECT_EQ(eight[0x25], 0x01);
    EXPECT_EQ(eight[0x26], 0xFE) << "0x026 is the complement of 0x025";
    EXPECT_EQ(eight[0x2B] | eight[0x2C] << 8 | eight[0x2D] << 16 | eight[0x2E] << 24, 155000000);
}

TEST(Templates, CommonAreaIsIdenticalButForSlotSevenAndEightFormats) {
    const Image& six = sixAddressTemplate();
    const Image& eight = eightAddressTemplate();
    for (std::size_t i = 0x030; i < 0x400; ++i) {
        if (i == 0x056 || i == 0x057) continue;
        EXPECT_EQ(six[i], eight[i]) << std::hex << i;
    }
    EXPECT_EQ(six[0x056], 0x00);
    EXPECT_EQ(eight[0x056], 0x55);
    EXPECT_EQ(eight[0x057], 0x55);
}

TEST(Templates, CommonAreaRegions) {
    const Image& image = sixAddressTemplate();
    EXPECT_EQ(bytesAt(image, 0x030, 4), std::string("\xFC\xFF\xFC\xCF", 4));
    EXPECT_EQ(bytesAt(image, 0x040, 8), std::string("\x3A\x1F\xED\xFB\x10\x3E\x32\x01", 8));
    EXPECT_EQ(bytesAt(image, 0x048, 6), std::string("\xE4\x55\x55\x55\x55\x55", 6));
    EXPECT_EQ(bytesAt(image, 0x04E, 4), "6723");
    EXPECT_EQ(bytesAt(image, 0x052, 4), std::string("\xF0\xFF\xFF\x01", 4));
    EXPECT_EQ(bytesAt(image, 0x066, 4), "41K\x14");
    EXPECT_EQ(bytesAt(image, 0x06A, 18), "Fdr00NameFdr01Name");
    EXPECT_EQ(bytesAt(image, 0x06A + 9 * 23, 9), "Fdr23Name");
    for (std::size_t k = 0; k < 24; ++k) EXPECT_EQ(image[0x142 + k], 0x0A);
    EXPECT_EQ(bytesAt(image, 0x15A, 2), "\x3C\x02");
    EXPECT_EQ(bytesAt(image, 0x17E, 18),
              std::string("\x04\xFF\x00\x00\x00\x00\x02\xC7\x17\x06\x00\x06\x1E\x8E\x5A\x5A\x49\x01", 18));
    EXPECT_EQ(bytesAt(image, 0x190, 20), std::string("A Tone Only !\0\0\0\0\0\0\0", 20));
    EXPECT_EQ(bytesAt(image, 0x1CC, 20), std::string("D Tone Only !\0\0\0\0\0\0\0", 20));
    for (std::size_t c = 0x20; c <= 0x7F; ++c) EXPECT_EQ(image[0x1E0 + c - 0x20], c);
    EXPECT_EQ(bytesAt(image, 0x240, 20), "-- QTX 73T ---------");
    EXPECT_EQ(bytesAt(image, 0x254, 20), std::string("123456789\0\0\0\0\0\0\0\0\0\0\0", 20));
    EXPECT_EQ(bytesAt(image, 0x268, 2), std::string("\x04\x00", 2));
    for (std::size_t i = 0x26A; i < 0x400; ++i) ASSERT_EQ(image[i], 0) << std::hex << i;
    for (std::size_t i = 0x058; i <= 0x065; ++i) ASSERT_EQ(image[i], 0) << std::hex << i;
    for (std::size_t i = 0x15C; i <= 0x17D; ++i) ASSERT_EQ(image[i], 0) << std::hex << i;
}

// Where the packed prompt texts end and what follows them.
void expectPromptArea(const Image& image, const std::vector<std::string>& prompts, std::size_t endOfTexts) {
    const std::size_t n = prompts.size();
    EXPECT_EQ(image[0x400] | image[0x401] << 8, static_cast<int>(2 * n));
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t offset = image[0x400 + 2 * i] | image[0x401 + 2 * i] << 8;
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(image.data() + 0x400 + offset)), prompts[i]) << i;
    }
    EXPECT_EQ(image[endOfTexts], 0) << "last terminator";
    for (std::size_t i = endOfTexts + 1; i < kChecksumOffset; ++i) ASSERT_EQ(image[i], 0xFF) << std::hex << i;
    EXPECT_TRUE(imageChecksumOk(image));
}

TEST(Templates, PromptAreas) {
    ASSERT_EQ(sixAddressPrompts().size(), 50u);
    ASSERT_EQ(eightAddressPrompts().size(), 51u);
    EXPECT_EQ(sixAddressPrompts()[3], "LOW BATTERY");
    EXPECT_EQ(sixAddressPrompts()[48], "MUTE  ");
    EXPECT_EQ(sixAddressPrompts()[49], "PUBLIC");
    EXPECT_EQ(eightAddressPrompts()[46], "AUTOBL");
    expectPromptArea(sixAddressTemplate(), sixAddressPrompts(), 0x626);
    expectPromptArea(eightAddressTemplate(), eightAddressPrompts(), 0x62B);
}

TEST(Templates, LoadTemplateOverwritesTheWholeImage) {
    Image image;
    image.fill(0xAB);
    loadTemplate(image, Layout::EightAddress);
    EXPECT_EQ(image, eightAddressTemplate());
    loadTemplate(image, layoutOf(Revision::TV7r2));
    EXPECT_EQ(image, sixAddressTemplate());
    EXPECT_EQ(layoutOf(Revision::TV7r3), Layout::SixAddress);
    EXPECT_EQ(layoutOf(Revision::TV8), Layout::EightAddress);
}

TEST(PromptArea, RefusesTextsThatDoNotFit) {
    std::vector<std::string> tooMany(200, std::string(10, 'x'));
    EXPECT_THROW(buildPromptArea(tooMany), std::length_error);
}

}  // namespace
}  // namespace pagerprog
