#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "rules/frequency_rules.h"
#include "rules/rules.h"
#include "settings/conversion.h"
#include "settings/encoder.h"
#include "settings/frequency.h"
#include "settings/image_layout.h"
#include "settings/image_values.h"
#include "support/rules_fixture.h"

namespace pagerprog {
namespace {

using testing::RecordingHost;
using Events = std::vector<std::string>;

// The text with its "." written as the given separator.
std::string withSeparator(std::string text, char separator) {
    for (char& c : text) {
        if (c == '.') c = separator;
    }
    return text;
}

class FrequencyRules : public testing::RulesFixture {
protected:
    void leaveFrequencyWith(const std::string& text) {
        model.userEdit("frequency", text);
        model.leave("frequency");
    }
};

struct RasterCase {
    std::string entered;
    int step;
    std::string shown;
};

class FrequencyRaster : public FrequencyRules, public ::testing::WithParamInterface<std::tuple<RasterCase, char>> {};

TEST_P(FrequencyRaster, ChannelIsMovedDownOntoTheChosenRaster) {
    const auto& [example, separator] = GetParam();
    ctx.program.decimalSeparator = separator;
    ctx.program.channelStep = 0;
    leaveFrequencyWith(withSeparator(example.entered, separator));
    EXPECT_EQ(model.text("frequency"), withSeparator(example.shown, separator));
    EXPECT_EQ(ctx.program.channelStep, example.step);
    EXPECT_TRUE(host.events.empty());
}

INSTANTIATE_TEST_SUITE_P(WorkedValues, FrequencyRaster,
                         ::testing::Combine(::testing::Values(RasterCase{"146.56250", 6250, "146.56250"},
                                                              RasterCase{"152.24000", 5000, "152.24000"},
                                                              RasterCase{"146.55000", 6250, "146.55000"},
                                                              RasterCase{"146.55600", 5000, "146.55500"},
                                                              RasterCase{"146.55900", 6250, "146.55625"},
                                                              RasterCase{"150", 6250, "150.00000"},
                                                              // texts the decoder leaves, in the shortest form
                                                              RasterCase{"146.5625", 6250, "146.56250"},
                                                              RasterCase{"163", 6250, "163.00000"},
                                                              RasterCase{"14", 6250, "140.00000"}),
                                            ::testing::Values('.', ',')));

// The hertz the encoder stores for the frequency the model shows.
std::uint32_t encodedHertz(Context& ctx) {
    encodeImage(ctx);
    const ImageField& row = *rowsOf(layoutOf(ctx.program.hardwareRevision), "frequency").front();
    return static_cast<std::uint32_t>(readLittleEndian(ctx.program.image, row.offset, 4));
}

// Every channel of the band on either raster is kept as it is, and the encoder stores
// exactly it: the decimal text must not lose a hertz to binary rounding on the way.
TEST_F(FrequencyRules, EveryRasterChannelKeepsItsValueAndEncodesToIt) {
    long checked = 0;
    for (std::uint32_t hertz = Frequency::kLowestTypedHz; hertz <= Frequency::kHighestTypedHz; hertz += 1250) {
        const std::uint32_t above = hertz - Frequency::kRasterOriginHz;
        if (above % 6250 != 0 && above % 5000 != 0) continue;
        char text[16];
        std::snprintf(text, sizeof text, "%03u.%05u", hertz / 1'000'000, hertz % 1'000'000 / 10);
        leaveFrequencyWith(text);
        ASSERT_EQ(model.text("frequency"), text);
        ASSERT_EQ(ctx.program.channelStep, above % 6250 == 0 ? 6250 : 5000) << text;
        ASSERT_EQ(Frequency::fromText(text, '.'), Frequency(hertz)) << text;
        if (++checked % 1000 == 0) {
            ASSERT_EQ(encodedHertz(ctx), hertz) << text;
        }
    }
    EXPECT_EQ(checked, 288000);  // 144,000 + 180,000 channels, 36,000 of them on both rasters
    EXPECT_TRUE(host.events.empty());
}

// Whatever a technician types, a text the rule accepts lies in the band and encodes to the
// channel the rule chose; anything else is refused with a beep and the old text stays.
TEST_F(FrequencyRules, TypedFrequenciesTheRuleAcceptsEncodeToItsChannel) {
    std::mt19937 random(20261208);
    const std::string keys = "0123456789\b";
    for (int round = 0; round < 3000; ++round) {
        const std::string before = model.text("frequency");
        host.clear();
        model.selectAll("frequency");
        const int length = 1 + static_cast<int>(random() % 11);
        for (int k = 0; k < length; ++k) model.typeKey("frequency", keys[random() % keys.size()]);
        const std::string typed = model.text("frequency");
        model.leave("frequency");
        const std::string shown = model.text("frequency");
        if (host.beeps != 0) {
            ASSERT_EQ(shown, before) << typed;
            continue;
        }
        const auto channel = Frequency::fromText(shown, '.');
        ASSERT_TRUE(channel && channel->typable()) << typed << " -> " << shown;
        ASSERT_EQ(encodedHertz(ctx), channel->hertz()) << typed;
    }
}

// Fails when padding puts a separator after a longer whole number: "146", backspace, "7"
// would become 1467 MHz and reach the pager.
TEST_F(FrequencyRules, AFourDigitWholeNumberIsRefused) {
    model.selectAll("frequency");
    for (char key : std::string("146\b7")) model.typeKey("frequency", key);
    ASSERT_EQ(model.text("frequency"), "1467");
    model.leave("frequency");
    EXPECT_EQ(model.text("frequency"), "146.56250");
    EXPECT_EQ(host.events, (Events{"beep"}));
    EXPECT_EQ(encodedHertz(ctx), 146'562'500u);
}

TEST_F(FrequencyRules, UnusableFrequencyPutsBackTheLastGoodTextWithABeep) {
    leaveFrequencyWith("146.55900");
    ASSERT_EQ(model.text("frequency"), "146.55625");
    // Outside 100.00000 to 999.99999 MHz, no number, or a whole number too long for the
    // separator ("1467" pads to 146700000 MHz).
    for (const char* unusable : {"021.39999", "21.4", "099.99999", "", "0", "14656250", "1467", "1x6.5", "146,56250"}) {
        host.clear();
        ctx.program.channelStep = 1;
        leaveFrequencyWith(unusable);
        EXPECT_EQ(model.text("frequency"), "146.55625") << unusable;
        EXPECT_EQ(host.events, (Events{"beep"})) << unusable;
        EXPECT_EQ(ctx.program.channelStep, 1) << unusable;
    }
}

TEST_F(FrequencyRules, WithoutAGoodTextYetTheDefaultChannelIsPutBack) {
    ctx.program.decimalSeparator = ',';
    leaveFrequencyWith("");
    EXPECT_EQ(model.text("frequency"), "146,56250");
    EXPECT_EQ(host.beeps, 1);
}

TEST_F(FrequencyRules, TypedDigitsGetTheSeparatorAfterTheThird) {
    for (char separator : {'.', ','}) {
        ctx.program.decimalSeparator = separator;
        model.selectAll("frequency");
        for (char key : std::string("14656250")) EXPECT_TRUE(model.typeKey("frequency", key));
        EXPECT_EQ(model.text("frequency"), withSeparator("146.56250", separator));
        EXPECT_FALSE(model.typeKey("frequency", '1')) << "the limit of nine characters holds";
    }
    EXPECT_TRUE(host.events.empty());
}

TEST_F(FrequencyRules, FrequencyKeysAreDigitsOnly) {
    EXPECT_EQ(model.key("frequency", '\b'), '\b');
    for (char key : std::string(".,a ")) EXPECT_EQ(model.key("frequency", key), std::nullopt);
    EXPECT_EQ(host.events, (Events{"beep", "beep", "beep", "beep"}));
    EXPECT_EQ(model.text("frequency"), "146.56250");
}

struct ClockCase {
    int n;
    int r;
    std::string shown;
};

class ClockDisplay : public FrequencyRules, public ::testing::WithParamInterface<ClockCase> {};

TEST_P(ClockDisplay, ShowsAllDigitsOfTheClock) {
    const auto& [n, r, shown] = GetParam();
    model.userPick("n_count", n);
    model.userPick("r_count", r);
    EXPECT_EQ(model.text("cpu_clock1"), shown);
}

INSTANTIATE_TEST_SUITE_P(Counters, ClockDisplay,
                         ::testing::Values(ClockCase{0, 2, "2.097152"}, ClockCase{0, 1, "4.194304"},
                                           ClockCase{0, 0, "8.388608"}, ClockCase{2, 0, "16.777216"},
                                           ClockCase{7, 1, "18.874368"}, ClockCase{7, 7, "0.294912"}));

TEST_F(FrequencyRules, ClockFollowsTheReferenceAndTheSeparator) {
    ctx.program.decimalSeparator = ',';
    model.fireChange("n_count");
    EXPECT_EQ(model.text("cpu_clock1"), "2,097152");
    model.userEdit("f_ref", "32000");
    EXPECT_EQ(model.text("cpu_clock1"), "2,048");
}

TEST_F(FrequencyRules, ClockWithoutReferenceOrCountersStaysAsItWas) {
    model.fireChange("r_count");
    ASSERT_EQ(model.text("cpu_clock1"), "2.097152");
    model.userEdit("f_ref", "");
    EXPECT_EQ(host.events, (Events{"focus: f_ref"}));
    model.userEdit("f_ref", "32768");
    model.userEdit("n_count", "5");  // typed text matching no item
    EXPECT_EQ(model.index("n_count"), -1);
    model.userPick("r_count", 0);
    EXPECT_EQ(model.text("cpu_clock1"), "2.097152");
}

TEST_F(FrequencyRules, ReferenceThatIsNoNumberRaisesTheConversionError) {
    EXPECT_THROW(model.setText("f_ref", "32k"), ConversionError);
}

// What the firmware-version rule may change.
struct ClockView {
    bool presetsShown, clockShown, nEnabled, rEnabled;
    int n, r;
    std::string clock;
    bool operator==(const ClockView&) const = default;
};

ClockView clockView(const SettingsModel& model) {
    return {model.visible("cpu_clock"), model.visible("cpu_clock1"), model.enabled("n_count"), model.enabled("r_count"),
            model.index("n_count"),     model.index("r_count"),      model.text("cpu_clock1")};
}

TEST_F(FrequencyRules, FirmwareVersionChoosesPresetsOrComputedClockInTV8) {
    ctx.program.hardwareRevision = Revision::TV8;
    model.userPick("n_count", 7);  // the preset below must overwrite these
    model.userPick("r_count", 7);
    const std::string clockBefore = model.text("cpu_clock1");

    model.userEdit("f_version", "1");  // cpu_clock shows "4.194"
    EXPECT_EQ(clockView(model), (ClockView{true, false, false, false, 0, 1, clockBefore}))
        << "presets shown, counters locked and set, clock not recomputed";
    EXPECT_TRUE(model.field("cpu_clock").labelVisible);

    model.userEdit("f_version", "2");
    EXPECT_EQ(clockView(model), (ClockView{false, true, true, true, 0, 1, "4.194304"}));

    const ClockView atVersion2 = clockView(model);
    model.userEdit("f_version", "3");
    EXPECT_EQ(clockView(model), atVersion2);
    model.userEdit("f_version", "0");
    EXPECT_TRUE(model.visible("cpu_clock"));
}

TEST_F(FrequencyRules, FirmwareVersionDoesNothingBeforeTV8) {
    for (int revision : {0, 1}) {
        ctx.program.hardwareRevision = static_cast<Revision>(revision);
        const ClockView before = clockView(model);
        model.userEdit("f_version", revision == 0 ? "1" : "x");
        EXPECT_EQ(clockView(model), before) << revision;
    }
}

TEST_F(FrequencyRules, FirmwareVersionThatIsNoNumberRaisesTheConversionError) {
    ctx.program.hardwareRevision = Revision::TV8;
    try {
        model.userEdit("f_version", "2a");
        ADD_FAILURE() << "the version was read";
    } catch (const ConversionError& error) {
        EXPECT_STREQ(error.what(), "'2a' is not a valid integer value");
    }
}

TEST_F(FrequencyRules, PresetSetsTheCountersWithoutRecomputingTheClock) {
    const std::string clockBefore = model.text("cpu_clock1");
    model.userPick("cpu_clock", 4);
    EXPECT_EQ(model.index("n_count"), 7);
    EXPECT_EQ(model.index("r_count"), 1);
    EXPECT_EQ(model.text("cpu_clock1"), clockBefore);
    model.userPick("cpu_clock", 3);
    EXPECT_EQ(model.text("n_count"), "8");
    EXPECT_EQ(model.text("r_count"), "1");
}

}  // namespace
}  // namespace pagerprog
