// Image to settings: both templates, the worked examples and the order in which the
// decoder fills fields and runs their rules.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "context/context.h"
#include "settings/conversion.h"
#include "settings/decoder.h"
#include "support/recording_host.h"

namespace pagerprog {
namespace {

class DecodeTest : public ::testing::Test {
protected:
    void decode(const Image& image, int revision) {
        ctx.program.image = image;
        ctx.program.hardwareRevision = static_cast<Revision>(revision);
        decodeImage(ctx);
    }
    const std::string& text(const char* field) const { return ctx.model.text(field); }

    testing::RecordingHost host;
    Context ctx{host};
};

struct TextCase {
    const char* field;
    const char* text;
};
struct IndexCase {
    const char* field;
    int index;
};
struct FlagCase {
    const char* field;
    bool checked;
};

TEST_F(DecodeTest, SixAddressTemplateGivesItsSettings) {
    decode(sixAddressTemplate(), 0);
    const TextCase texts[] = {
        {"address1", "2004000"},
        {"address2", "2004008"},
        {"address6", "2004040"},
        {"frequency", "163"},
        {"unread_alert", "1"},
        {"tonepatternA", "FFFC"},
        {"tonepatternC", "CCC0"},
        {"tonepatternPon", "A000"},
        {"tonepatternUcall1", "CFFC"},
        {"tonepatternUcall2", "FCFF"},
        {"vibratepattern", "00FF"},
        {"lcdholdtime", "16"},
        {"contrast", "50"},
        {"handprogpws", "6723"},
        {"pubbox0", "Fdr00Name"},
        {"pubboxN", "Fdr23Name"},
        {"pubboxlength0", "10"},
        {"maxprivate", "60"},
        {"autooffstart", "23"},
        {"autooffstop", "6"},
        {"alarmhour", "6"},
        {"alarmminute", "30"},
        {"fullbat", "1.50"},
        {"halfbat", "0.95"},
        {"lowbat", "0.95"},
        {"gonebat", "0.77"},
        {"cannedmsgA", "A Tone Only !"},
        {"cannedmsgD", "D Tone Only !"},
        {"hellomsg1", "-- QTX 73T ---------"},
        {"hellomsg2", "123456789"},
        {"alerttime", "4"},
        {"lcddrv_opa", "2"},
    };
    for (const auto& c : texts) EXPECT_EQ(text(c.field), c.text) << c.field;
    const IndexCase indexes[] = {
        {"BS2", 15},
        {"BS3", 0},
        {"data_format", 1},
        {"polarity", 0},
        {"errcorrect", 2},
        {"baudrate", 1},
        {"alerttype", 3},
        {"urgentcalltype", 0},
        {"dateformat", 2},
        {"pubboxmode", 0},
        {"lowcalldelay", 1},
        {"numset", 1},
        {"repeatcallcheck", 1},
        {"msgtype1", 0},
        {"msgtype2", 1},
        {"msgtype6", 1},
        {"language", 1},
        {"addr1formatA", 0},
        {"addr1formatB", 1},
        {"addr1formatC", 2},
        {"addr1formatD", 3},
        {"addr2formatA", 1},
        {"repeatcallreject", 2},
        {"vibratetype", 0},
        {"backlight", 1},
        {"pager_model", 2},
        {"alertmode", 1},
        {"pll", 0},
        {"zoom", 1},
        {"rangetime", 0},
        {"customer", 0},
    };
    for (const auto& c : indexes) EXPECT_EQ(ctx.model.index(c.field), c.index) << c.field;
    const FlagCase flags[] = {
        {"addr1en", true},
        {"addr6en", true},
        {"pll_enable", true},
        {"toneonlymsg", false},
        {"autospacing", false},
        {"msgstatus", true},
        {"handprog", true},
        {"quietsound", false},
        {"outrange", true},
        {"lowbatspecalert", true},
        {"ota", true},
        {"datetime", true},
        {"msgfull", true},
        {"repeatmsg", true},
        {"ureadmsg", true},
        {"alarm", false},
        {"timedisplay", true},
        {"msglock", true},
        {"pubboxact0", false},
        {"pubboxact3", false},
        {"pubboxact4", true},
        {"pubboxactN", true},
        {"msgstatusprefix", false},
        {"auto_backlight", false},
        {"urgent1A", false},
        {"timeprefix", true},
        {"autooff", false},
    };
    for (const auto& c : flags) EXPECT_EQ(ctx.model.checked(c.field), c.checked) << c.field;
}

TEST_F(DecodeTest, EightAddressTemplateIgnoresTheSlotNumberBits) {
    decode(eightAddressTemplate(), 2);
    for (int n = 1; n <= 8; ++n) {
        const std::string s = std::to_string(n);
        EXPECT_EQ(text(("address" + s).c_str()), n <= 4 ? "2004000" : "0") << n;
        EXPECT_EQ(ctx.model.checked("addr" + s + "en"), n <= 4) << n;
    }
    const TextCase texts[] = {{"bs3_8212", "60"}, {"bs1_8212", "59"}, {"frequency", "155"}, {"unread_alert", "0"}};
    for (const auto& c : texts) EXPECT_EQ(text(c.field), c.text) << c.field;
    const IndexCase indexes[] = {{"clko", 1},       {"baudrate", 2},     {"polarity", 0},    {"filter_strength", 1},
                                 {"error_rate", 1}, {"n_count", 0},      {"r_count", 1},     {"char_size", 0},
                                 {"lcd_module", 0}, {"addr7formatA", 1}, {"addr8formatD", 1}};
    for (const auto& c : indexes) EXPECT_EQ(ctx.model.index(c.field), c.index) << c.field;
    EXPECT_FALSE(ctx.model.checked("bs2_option"));
    EXPECT_FALSE(ctx.model.checked("end_of_msg"));
    EXPECT_TRUE(ctx.model.checked("filter_enable"));
}

TEST_F(DecodeTest, SixAddressFramesComeFromTheFrameByte) {
    Image image = sixAddressTemplate();
    image[0x013] = 0x80 | (5 << 3) | 3;
    decode(image, 1);
    EXPECT_EQ(text("address1"), "2004005");
    EXPECT_EQ(text("address2"), "2004013");
    EXPECT_EQ(text("address3"), "2004019");
    EXPECT_EQ(text("address6"), "2004043");
}

TEST_F(DecodeTest, SixAddressEntryTooLargeKeepsSevenDigits) {
    Image image = sixAddressTemplate();
    image[0] = image[1] = image[2] = 0xFF;  // 16777215 x 8 = 134217720
    decode(image, 0);
    EXPECT_EQ(text("address1"), "1342177");
}

TEST_F(DecodeTest, SlotsSevenAndEightKeepTheirValuesInTheSixAddressLayout) {
    ctx.model.setText("address7", "1234567");
    ctx.model.setIndex("addr7formatA", 3);
    decode(sixAddressTemplate(), 0);
    EXPECT_EQ(text("address7"), "1234567");
    EXPECT_EQ(ctx.model.index("addr7formatA"), 3);
}

TEST_F(DecodeTest, UnreadAlertCountNeedsItsFlag) {
    struct Case {
        int revision;
        std::size_t countAt;
        std::uint8_t flagByte, count;
        const char* expected;
    };
    const Case cases[] = {
        {0, 0x024, 0x00, 0x05, "0"}, {0, 0x024, 0x04, 0x05, "5"}, {0, 0x024, 0x04, 0xC5, "5"},
        {2, 0x02F, 0x00, 0x05, "0"}, {2, 0x02F, 0x04, 0x05, "5"}, {2, 0x02F, 0x04, 0x46, "6"},
    };
    for (const auto& c : cases) {
        Image image = c.revision == 2 ? eightAddressTemplate() : sixAddressTemplate();
        image[0x041] = c.flagByte;
        image[c.countAt] = c.count;
        decode(image, c.revision);
        EXPECT_EQ(text("unread_alert"), c.expected) << c.revision << " " << int(c.flagByte) << " " << int(c.count);
    }
}

TEST_F(DecodeTest, UserSelectComesFromByte185) {
    Image image = sixAddressTemplate();
    for (std::uint8_t low : {0x00, 0x10, 0x20, 0x30}) {
        image[0x040] = low;
        image[0x185] = 0x20;
        decode(image, 0);
        EXPECT_EQ(ctx.model.index("alerttype"), 3) << int(low);
        image[0x185] = 0x00;
        decode(image, 0);
        EXPECT_EQ(ctx.model.index("alerttype"), low >> 4) << int(low);
    }
}

TEST_F(DecodeTest, FullWidthTextsStopAtTheirSlot) {
    Image image = sixAddressTemplate();
    const std::string hello = "ABCDEFGHIJKLMNOPQRST";
    std::copy(hello.begin(), hello.end(), image.begin() + 0x240);  // hellomsg2 follows without a gap
    std::copy(hello.begin(), hello.begin() + 4, image.begin() + 0x04E);
    decode(image, 0);
    EXPECT_EQ(text("hellomsg1"), hello);
    EXPECT_EQ(text("hellomsg2"), "123456789");
    EXPECT_EQ(text("handprogpws"), "ABCD");
    EXPECT_EQ(text("pubbox0"), "Fdr00Name");
}

TEST_F(DecodeTest, OutOfListIndexesLeaveNoItemChosen) {
    Image image = sixAddressTemplate();
    image[0x184] = 7;     // pager_model
    image[0x18F] = 0;     // rangetime index -1
    image[0x047] = 200;   // language
    image[0x016] = 0x03;  // baudrate 3 of three items
    decode(image, 0);
    for (const char* field : {"pager_model", "rangetime", "language", "baudrate"}) {
        EXPECT_EQ(ctx.model.index(field), -1) << field;
    }
    image[0x18F] = 15;
    decode(image, 0);
    EXPECT_EQ(ctx.model.index("rangetime"), 14);
}

TEST_F(DecodeTest, LcdOpaZeroBecomesTwoInTheImageToo) {
    Image image = sixAddressTemplate();
    image[0x269] = 0;
    decode(image, 0);
    EXPECT_EQ(text("lcddrv_opa"), "2");
    EXPECT_EQ(ctx.program.image[0x269], 2);
    image[0x269] = 6;
    decode(image, 0);
    EXPECT_EQ(text("lcddrv_opa"), "6");
}

TEST_F(DecodeTest, FolderLengthsAreReadThroughTheirMask) {
    Image image = sixAddressTemplate();
    image[0x142] = 0x8A;
    decode(image, 0);
    EXPECT_EQ(text("pubboxlength0"), "10");
}

TEST_F(DecodeTest, BatteryDisplayRoundsWithTheStep) {
    struct Case {
        std::uint8_t code;
        double step;
        char separator;
        const char* vref;
        const char* expected;
    };
    const Case cases[] = {
        {142, 0.01, '.', "2.70", "1.50"}, {90, 0.01, '.', "2.70", "0.95"}, {128, 0.01, '.', "2.70", "1.35"},
        {0, 0.01, '.', "2.70", "0"},      {142, 0, '.', "2.70", "1.49"},   {142, 0, ',', "2,70", "1,49"},
        {255, 0.01, '.', "2.70", "2.69"},
    };
    for (const auto& c : cases) {
        Image image = sixAddressTemplate();
        image[0x18B] = c.code;
        ctx.program.batteryRoundingStep = c.step;
        ctx.program.decimalSeparator = c.separator;
        ctx.model.setText("Vref", c.vref);
        decode(image, 0);
        EXPECT_EQ(text("fullbat"), c.expected) << int(c.code) << " step " << c.step;
    }
}

TEST_F(DecodeTest, FrequencyIsShownInItsShortestFormWithTheSystemSeparator) {
    Image image = sixAddressTemplate();
    image[0x020] = 0xC4;  // 146,562,500 Hz = 0x08BC5DC4
    image[0x021] = 0x5D;
    image[0x022] = 0xBC;
    image[0x023] = 0x08;
    decode(image, 0);
    EXPECT_EQ(text("frequency"), "146.5625");
    ctx.program.decimalSeparator = ',';
    ctx.model.setText("Vref", "2,70");
    decode(image, 0);
    EXPECT_EQ(text("frequency"), "146,5625");
}

TEST_F(DecodeTest, VrefThatIsNoNumberStopsAtTheBatteryVoltages) {
    Image image = sixAddressTemplate();
    image[0x269] = 0;
    ctx.model.setText("Vref", "x.70");
    ctx.model.setText("cannedmsgA", "before");
    ctx.model.setIndex("customer", 4);
    ctx.program.image = image;
    try {
        decodeImage(ctx);
        FAIL() << "no conversion error";
    } catch (const ConversionError& error) {
        EXPECT_STREQ(error.what(), "'x.70' is not a valid floating point value");
    }
    EXPECT_EQ(text("alarmminute"), "30");  // decoded before the battery voltages
    EXPECT_EQ(text("fullbat"), "1.50");    // kept its old text
    EXPECT_EQ(text("cannedmsgA"), "before");
    EXPECT_EQ(ctx.model.index("customer"), 4);
    EXPECT_EQ(ctx.program.image[0x269], 0);
}

TEST_F(DecodeTest, MessageTypeRulesRunRightAfterEachType) {
    std::vector<std::string> seen;
    for (int n = 1; n <= 6; ++n) {
        ctx.model.onChange("msgtype" + std::to_string(n), [this, n, &seen] {
            const int next = n < 6 ? ctx.model.index("msgtype" + std::to_string(n + 1)) : -9;
            seen.push_back(std::to_string(n) + ":" + std::to_string(ctx.model.index("msgtype" + std::to_string(n))) +
                           "," + std::to_string(next));
        });
    }
    Image image = sixAddressTemplate();
    image[0x045] = 0x01;  // slot 1 Public, the others Private; the fields start the other way round
    decode(image, 0);
    EXPECT_EQ(seen, (std::vector<std::string>{"1:1,1", "2:0,1", "3:0,1", "4:0,1", "5:0,1", "6:0,-9"}));
}

TEST_F(DecodeTest, NCounterRuleRunsOnceAfterBothCounters) {
    std::vector<int> rCounts;
    ctx.model.onChange("n_count", [&] { rCounts.push_back(ctx.model.index("r_count")); });
    ctx.model.onChange("r_count", [&] { rCounts.push_back(-100); });
    ctx.model.setIndex("r_count", 5);
    decode(eightAddressTemplate(), 2);
    EXPECT_EQ(rCounts, std::vector<int>{1});
    rCounts.clear();
    decode(sixAddressTemplate(), 0);
    EXPECT_TRUE(rCounts.empty());
}

// The order of the change and click rules is the order of the decoding steps; choices
// raise nothing.
class DecodeOrderTest : public DecodeTest {
protected:
    // Every text field starts from a text no image gives, so each one raises its change
    // rule; every event is recorded by field name.
    void SetUp() override {
        for (const auto& f : ctx.model.fields()) {
            const std::string name = f.def->name;
            const bool text = f.def->kind == FieldKind::Text || f.def->kind == FieldKind::Digits;
            if (text && name != "Vref") ctx.model.setText(name, "~");
            ctx.model.onChange(name, [this, name] { events.push_back(name); });
            ctx.model.onClick(name, [this, name] { events.push_back(name); });
        }
    }
    long at(const std::string& name) const { return std::find(events.begin(), events.end(), name) - events.begin(); }
    std::vector<std::string> events;
};

TEST_F(DecodeOrderTest, SixAddressLayout) {
    Image six = sixAddressTemplate();
    six[0x012] = 0x3E;  // addr1en changes
    decode(six, 0);
    const std::vector<std::string> start{"address1", "address2", "address3",  "address4",     "address5",
                                         "address6", "addr1en",  "frequency", "unread_alert", "tonepatternA"};
    ASSERT_GE(events.size(), start.size());
    EXPECT_EQ(std::vector<std::string>(events.begin(), events.begin() + 10), start);
    for (const char* choice : {"language", "BS2", "alerttype", "pager_model", "customer", "n_count"}) {
        EXPECT_EQ(at(choice), static_cast<long>(events.size())) << choice;
    }
    const std::vector<std::string> later{"tonepatternUcall2", "lcdholdtime",   "msgtype1",   "msgtype6",
                                         "contrast",          "handprogpws",   "pubboxact0", "pubbox0",
                                         "pubboxN",           "pubboxlength0", "maxprivate", "vibratepattern",
                                         "autooffstart",      "alarmminute",   "fullbat",    "gonebat",
                                         "cannedmsgA",        "hellomsg2",     "alerttime",  "lcddrv_opa"};
    for (std::size_t i = 1; i < later.size(); ++i) EXPECT_LT(at(later[i - 1]), at(later[i])) << later[i];
    EXPECT_EQ(events.back(), "lcddrv_opa");
}

TEST_F(DecodeOrderTest, EightAddressLayout) {
    decode(eightAddressTemplate(), 2);
    const std::vector<std::string> start{"addr5en",  "addr6en",  "addr7en",  "addr8en",   "address1",    "address2",
                                         "address3", "address4", "address5", "address6",  "address7",    "address8",
                                         "bs3_8212", "bs1_8212", "n_count",  "frequency", "unread_alert"};
    ASSERT_GE(events.size(), start.size());
    EXPECT_EQ(std::vector<std::string>(events.begin(), events.begin() + static_cast<long>(start.size())), start);
}

}  // namespace
}  // namespace pagerprog
