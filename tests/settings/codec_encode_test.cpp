// Settings to image: the worked examples, the bytes no setting owns, choices with no
// item, and a conversion error that must leave the image as it was.
#include <gtest/gtest.h>

#include <random>
#include <set>
#include <string>

#include "context/context.h"
#include "settings/conversion.h"
#include "settings/encoder.h"
#include "support/recording_host.h"

namespace pagerprog {
namespace {

class EncodeTest : public ::testing::Test {
protected:
    void SetUp() override {
        ctx.program.image = sixAddressTemplate();
        ctx.program.channelStep = 6250;
    }
    const Image& encode(int revision) {
        ctx.program.hardwareRevision = static_cast<Revision>(revision);
        encodeImage(ctx);
        return ctx.program.image;
    }
    void set(const char* field, const std::string& text) { ctx.model.setText(field, text); }

    testing::RecordingHost host;
    Context ctx{host};
};

TEST_F(EncodeTest, FrameByteHoldsBothFrames) {
    set("frame1", "5");
    set("frame3", "2");
    EXPECT_EQ(encode(0)[0x013], 0xAA);
}

TEST_F(EncodeTest, CapcodeEntriesInBothLayouts) {
    set("address1", "2004003");
    const Image& six = encode(0);
    EXPECT_EQ((std::array<int, 3>{six[0], six[1], six[2]}), (std::array<int, 3>{0x84, 0xD2, 0x03}));
    const Image& eight = encode(2);
    EXPECT_EQ((std::array<int, 4>{eight[0], eight[1], eight[2], eight[3]}),
              (std::array<int, 4>{0x86, 0xF0, 0x4B, 0x21}));
    set("address1", "2097143");
    set("frame1", "7");
    const Image& highSix = encode(1);
    EXPECT_EQ((std::array<int, 3>{highSix[0], highSix[1], highSix[2]}), (std::array<int, 3>{0xFE, 0xFF, 0x03}));
    EXPECT_EQ(highSix[0x013] & 0x38, 7 << 3);
    const Image& highEight = encode(2);
    EXPECT_EQ((std::array<int, 3>{highEight[1], highEight[2], highEight[3]}), (std::array<int, 3>{0xF8, 0xFF, 0x7F}));
}

TEST_F(EncodeTest, SlotTwoOfTheEightAddressLayoutCarriesItsSlotNumber) {
    set("address2", "2004000");
    ctx.model.setChecked("addr2en", false);
    const Image& image = encode(2);
    EXPECT_EQ(image[4], 0x06);
    EXPECT_EQ(image[5], 0xC4);
}

TEST_F(EncodeTest, QuietSoundIsStoredInverted) {
    for (const char* flag : {"handprog", "outrange", "pageoff", "lowbatspecalert", "ota"})
        ctx.model.setChecked(flag, false);
    ctx.model.setIndex("repeatcallcheck", 0);
    ctx.model.setChecked("quietsound", true);
    EXPECT_EQ(encode(0)[0x042], 0x00);
    ctx.model.setChecked("quietsound", false);
    EXPECT_EQ(encode(0)[0x042], 0x40);
}

TEST_F(EncodeTest, UnreadAlertInBothLayouts) {
    struct Case {
        const char* count;
        int revision;
        std::size_t at;
        int flag, stored;
    };
    const Case cases[] = {
        {"0", 0, 0x024, 0, 0}, {"70", 0, 0x024, 4, 70}, {"0", 2, 0x02F, 0, 0}, {"70", 2, 0x02F, 4, 6}};
    for (const auto& c : cases) {
        set("unread_alert", c.count);
        const Image& image = encode(c.revision);
        EXPECT_EQ(image[0x041] & 0x04, c.flag) << c.count << " rev " << c.revision;
        EXPECT_EQ(image[c.at], c.stored) << c.count << " rev " << c.revision;
    }
}

TEST_F(EncodeTest, RangeTimeIsItsIndexPlusOne) {
    ctx.model.setIndex("rangetime", 14);
    EXPECT_EQ(encode(0)[0x18F], 15);
    ctx.model.setIndex("rangetime", -1);
    EXPECT_EQ(encode(0)[0x18F], 0);
}

TEST_F(EncodeTest, FolderNamesFillTheirSlotsOrEndWithOneZero) {
    ctx.program.image[0x06A + 9 + 8] = 0xEE;  // ninth byte of folder 1's slot
    set("pubbox0", "NINECHARS");
    set("pubbox1", "EIGHTCHR");
    set("pubbox2", "LONGER THAN NINE");
    const Image& image = encode(0);
    EXPECT_EQ(std::string(image.begin() + 0x06A, image.begin() + 0x06A + 9), "NINECHARS");
    EXPECT_EQ(std::string(image.begin() + 0x073, image.begin() + 0x073 + 8), "EIGHTCHR");
    EXPECT_EQ(image[0x073 + 8], 0x00);
    EXPECT_EQ(std::string(image.begin() + 0x07C, image.begin() + 0x07C + 9), "LONGER TH");
    EXPECT_EQ(std::string(image.begin() + 0x085, image.begin() + 0x085 + 9), "FOLDER 03");

    set("pubbox1", "SHORT");
    const Image& again = encode(0);
    EXPECT_EQ(again[0x073 + 5], 0x00);
    // The rest of the slot is kept: the end of the old name and its terminator.
    EXPECT_EQ(std::string(again.begin() + 0x073 + 6, again.begin() + 0x073 + 9), std::string("HR\0", 3));
}

TEST_F(EncodeTest, TwentyCharacterTextsLeaveTheNextBytesAlone) {
    set("cannedmsgD", "ABCDEFGHIJKLMNOPQRST");
    set("hellomsg1", "abcdefghijklmnopqrst");
    const Image& image = encode(0);
    EXPECT_EQ(std::string(image.begin() + 0x1CC, image.begin() + 0x1E0), "ABCDEFGHIJKLMNOPQRST");
    for (std::size_t i = 0x1E0; i < 0x240; ++i) EXPECT_EQ(image[i], i - 0x1E0 + 0x20) << i;
    EXPECT_EQ(std::string(image.begin() + 0x240, image.begin() + 0x254), "abcdefghijklmnopqrst");
    EXPECT_EQ(image[0x254], '1');
}

TEST_F(EncodeTest, PatternsFallBackToDigitC) {
    struct Case {
        const char* text;
        int low, high;
    };
    const Case cases[] = {
        {"FFFC", 0xFC, 0xFF}, {"FC", 0xCC, 0xFC}, {"", 0xCC, 0xCC}, {"12a4", 0xC4, 0x12}, {"0123456", 0x23, 0x01}};
    for (const auto& c : cases) {
        set("tonepatternA", c.text);
        const Image& image = encode(0);
        EXPECT_EQ(image[0x030], c.low) << c.text;
        EXPECT_EQ(image[0x031], c.high) << c.text;
    }
}

TEST_F(EncodeTest, BatteryCodesRoundHalfUp) {
    struct Case {
        const char* volts;
        const char* vref;
        char separator;
        int code;
    };
    const Case cases[] = {{"1.50", "2.70", '.', 142},
                          {"1.10", "2.70", '.', 104},
                          {"0.95", "2.70", '.', 90},
                          {"1,50", "2,70", ',', 142},
                          {"0", "2.70", '.', 0}};
    for (const auto& c : cases) {
        ctx.program.decimalSeparator = c.separator;
        set("Vref", c.vref);
        set("frequency", c.separator == ',' ? "146,56250" : "146.56250");
        for (const char* field : {"fullbat", "halfbat", "lowbat", "gonebat"}) set(field, c.volts);
        EXPECT_EQ(encode(0)[0x18D], c.code) << c.volts;
    }
}

TEST_F(EncodeTest, ReferenceOfZeroVoltsIsAConversionError) {
    set("Vref", "0");
    const Image before = ctx.program.image;
    EXPECT_THROW(encode(0), ConversionError);
    EXPECT_EQ(ctx.program.image, before);
}

TEST_F(EncodeTest, AlertTypeUserSelectMovesToByte185) {
    ctx.model.setIndex("urgentcalltype", 0);
    ctx.model.setChecked("toneonlymsg", false);
    ctx.model.setIndex("alerttype", 3);
    const Image& userSelect = encode(0);
    EXPECT_EQ(userSelect[0x185] & 0x20, 0x20);
    EXPECT_EQ(userSelect[0x040] & 0x30, 0x00);
    ctx.model.setIndex("alerttype", 2);
    const Image& toneVibrate = encode(0);
    EXPECT_EQ(toneVibrate[0x040], 0x20);
    EXPECT_EQ(toneVibrate[0x185] & 0x20, 0x00);
}

TEST_F(EncodeTest, ChoicesWithNoItemAreAllOnes) {
    for (const char* field :
         {"pager_model", "zoom", "alerttype", "dateformat", "addr1formatD", "msgtype3", "baudrate"}) {
        ctx.model.setIndex(field, -1);
    }
    const Image& image = encode(0);
    EXPECT_EQ(image[0x184], 0xFF);
    EXPECT_EQ(image[0x185] & 0x04, 0x04);
    EXPECT_EQ(image[0x040] & 0x30, 0x30);
    EXPECT_EQ(image[0x185] & 0x22, 0x02);  // dateformat bit 1; alerttype none is not "User select"
    EXPECT_EQ(image[0x041] & 0x20, 0x20);
    EXPECT_EQ(image[0x048] & 0xC0, 0xC0);
    EXPECT_EQ(image[0x045] & 0x04, 0x04);
    EXPECT_EQ(image[0x016] & 0x03, 0x03);
}

TEST_F(EncodeTest, EightAddressDecoderBytes) {
    ctx.model.setIndex("n_count", 0);
    ctx.model.setIndex("r_count", 1);
    set("bs3_8212", "60");
    set("bs1_8212", "59");
    ctx.model.setIndex("customer", 3);
    set("frequency", "155");
    const Image& image = encode(2);
    EXPECT_EQ(image[0x025], 0x01);
    EXPECT_EQ(image[0x026], 0xFE);
    EXPECT_EQ(image[0x024], 0x54);
    EXPECT_EQ(image[0x029], 0xC4);
    EXPECT_EQ(image[0x02A], 0x09);
    EXPECT_EQ(image[0x022], 0x73);
    EXPECT_EQ(image[0x021] & 0xC0, 0xC0);
    EXPECT_EQ(image[0x023] & 0x03, 0x03);
    EXPECT_EQ((std::array<int, 4>{image[0x02B], image[0x02C], image[0x02D], image[0x02E]}),
              (std::array<int, 4>{0xC0, 0x1C, 0x3D, 0x09}));
    ctx.model.setIndex("customer", 0);
    EXPECT_EQ(encode(2)[0x024], 0x00);
}

TEST_F(EncodeTest, ChannelStepAndFrequencyInTheSixAddressLayout) {
    struct Case {
        int step;
        const char* frequency;
        char separator;
        std::uint32_t hertz;
    };
    const Case cases[] = {{5000, "152.24000", '.', 152240000},
                          {6250, "146,5625", ',', 146562500},
                          {6250, "268.43375", '.', 268433750},
                          {6250, "146.556259", '.', 146556259},
                          {6250, "1.4655625e2", '.', 146556250}};
    for (const auto& c : cases) {
        ctx.program.channelStep = c.step;
        ctx.program.decimalSeparator = c.separator;
        set("Vref", c.separator == ',' ? "2,70" : "2.70");
        for (const char* field : {"fullbat", "halfbat", "lowbat", "gonebat"})
            set(field, c.separator == ',' ? "1,00" : "1.00");
        set("frequency", c.frequency);
        const Image& image = encode(0);
        EXPECT_EQ(image[0x01E] | (image[0x01F] << 8), c.step);
        const std::uint32_t hertz = image[0x020] | (image[0x021] << 8) | (image[0x022] << 16) |
                                    (static_cast<std::uint32_t>(image[0x023]) << 24);
        EXPECT_EQ(hertz, c.hertz) << c.frequency;
    }
}

// Bytes that no setting owns keep whatever they held, in each layout.
std::set<std::size_t> unownedBytes(int revision) {
    std::set<std::size_t> bytes;
    auto range = [&bytes](std::size_t first, std::size_t last) {
        for (std::size_t i = first; i <= last; ++i) bytes.insert(i);
    };
    if (revision != 2) {
        range(0x014, 0x014);
        range(0x017, 0x01D);
        range(0x025, 0x02F);
        range(0x056, 0x058);
    }
    range(0x055, 0x055);
    range(0x059, 0x069);
    range(0x15C, 0x17D);
    range(0x188, 0x188);
    range(0x1E0, 0x23F);
    range(0x26A, 0x3FD);
    range(0x400, 0x7FF);
    return bytes;
}

TEST_F(EncodeTest, BytesNoSettingOwnsAreUntouched) {
    std::mt19937 random(4711);
    for (int revision : {0, 1, 2}) {
        Image image;
        for (auto& byte : image) byte = static_cast<std::uint8_t>(random());
        ctx.program.image = image;
        const Image& encoded = encode(revision);
        for (std::size_t i : unownedBytes(revision))
            EXPECT_EQ(encoded[i], image[i]) << "revision " << revision << " byte " << i;
        EXPECT_EQ(encoded[0x3FF], 0);
    }
}

TEST_F(EncodeTest, UnnamedBitsOfOwnedBytesEndUpZero) {
    ctx.program.image.fill(0xFF);
    const Image& six = encode(0);
    EXPECT_EQ(six[0x016] & 0x80, 0);
    EXPECT_EQ(six[0x013] & 0x40, 0);
    EXPECT_EQ(six[0x040] & 0x0F, 0);
    EXPECT_EQ(six[0x041] & 0x01, 0);
    EXPECT_EQ(six[0x045] & 0xC0, 0);
    EXPECT_EQ(six[0x17E] & 0xD0, 0);
    EXPECT_EQ(six[0x185] & 0x80, 0);
    EXPECT_EQ(six[0x012] & 0xC0, 0);
    ctx.program.image.fill(0xFF);
    const Image& eight = encode(2);
    for (std::size_t entry = 0; entry < 0x20; entry += 4) EXPECT_EQ(eight[entry] & 0x7F, 0x06) << entry;
    EXPECT_EQ(eight[0x020] & 0x7F, 0x02);
    EXPECT_EQ(eight[0x025] & 0x88, 0);
    EXPECT_EQ(eight[0x027] & 0xFC, 0);
    EXPECT_EQ(eight[0x02F] & 0xC0, 0);
}

// A field that holds no number stops the encoding; the image keeps every byte it had,
// also those of the steps before the failing field.
TEST_F(EncodeTest, ConversionErrorLeavesTheImageAsItWas) {
    struct Case {
        const char* field;
        const char* text;
        int revision;
        const char* message;
    };
    const Case cases[] = {
        {"address1", "", 0, "'' is not a valid integer value"},
        {"frame3", " ", 0, "' ' is not a valid integer value"},
        {"bs1_8212", "6x", 2, "'6x' is not a valid integer value"},
        {"frequency", "146.5.6", 0, "'146.5.6' is not a valid floating point value"},
        {"lcddrv_opa", "", 1, "'' is not a valid integer value"},
        {"gonebat", "0,90", 2, "'0,90' is not a valid floating point value"},
    };
    for (const auto& c : cases) {
        SetUp();
        set("address6", "2004013");
        set("tonepatternA", "1234");
        set(c.field, c.text);
        const Image before = ctx.program.image;
        ctx.program.hardwareRevision = static_cast<Revision>(c.revision);
        try {
            encodeImage(ctx);
            ADD_FAILURE() << c.field << " converted";
        } catch (const ConversionError& error) {
            EXPECT_STREQ(error.what(), c.message);
        }
        EXPECT_EQ(ctx.program.image, before) << c.field;
        set(c.field, ctx.model.field(c.field).def->text);
    }
}

}  // namespace
}  // namespace pagerprog
