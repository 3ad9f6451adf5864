#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "rules/rules.h"
#include "settings/conversion.h"
#include "support/rules_fixture.h"

namespace pagerprog {
namespace {

using testing::RecordingHost;
using Events = std::vector<std::string>;

class FeatureRules : public testing::RulesFixture {};

struct TypedCase {
    std::string field;
    std::string typed;
    std::string shown;
};

class FeatureLimit : public FeatureRules, public ::testing::WithParamInterface<TypedCase> {};

TEST_P(FeatureLimit, ValueAboveTheLimitIsReplacedWhileTyping) {
    const auto& [field, typed, shown] = GetParam();
    typeInto(field, typed);
    EXPECT_EQ(model.text(field), shown);
    EXPECT_TRUE(host.events.empty());
}

INSTANTIATE_TEST_SUITE_P(Limits, FeatureLimit,
                         ::testing::Values(TypedCase{"lcdholdtime", "300", "255"},
                                           TypedCase{"lcdholdtime", "256", "255"},
                                           TypedCase{"lcdholdtime", "255", "255"}, TypedCase{"lcdholdtime", "0", "0"},
                                           TypedCase{"maxprivate", "61", "60"}, TypedCase{"maxprivate", "60", "60"},
                                           TypedCase{"autooffstart", "25", "24"}, TypedCase{"autooffstart", "24", "24"},
                                           TypedCase{"autooffstop", "25", "24"}, TypedCase{"autooffstop", "99", "24"},
                                           TypedCase{"unread_alert", "61", "60"}, TypedCase{"unread_alert", "60", "60"},
                                           TypedCase{"alerttime", "999", "255"}));

TEST_F(FeatureRules, LimitAppliesAtTheDigitThatBreaksIt) {
    typeInto("lcdholdtime", "30");
    EXPECT_EQ(model.text("lcdholdtime"), "30");
    model.typeKey("lcdholdtime", '0');
    EXPECT_EQ(model.text("lcdholdtime"), "255");
}

TEST_F(FeatureRules, EmptyNumericFieldsAreLeftEmpty) {
    for (const char* field :
         {"lcdholdtime", "maxprivate", "autooffstart", "autooffstop", "unread_alert", "alerttime"}) {
        EXPECT_NO_THROW(model.userEdit(field, "")) << field;
        EXPECT_EQ(model.text(field), "") << field;
    }
}

struct AlertCase {
    std::string reminder;
    std::string alerttime;
    std::string reminderAfter;
};

class AlertTime : public FeatureRules, public ::testing::WithParamInterface<AlertCase> {};

TEST_P(AlertTime, SwitchedOnReminderIsPushedBeyondTheAlertTime) {
    const auto& [reminder, alerttime, reminderAfter] = GetParam();
    model.userEdit("alerttime", "");
    model.userEdit("unread_alert", reminder);
    model.userEdit("alerttime", alerttime);
    EXPECT_EQ(model.text("unread_alert"), reminderAfter);
}

INSTANTIATE_TEST_SUITE_P(Pushes, AlertTime,
                         ::testing::Values(AlertCase{"4", "240", "4"}, AlertCase{"4", "241", "5"},
                                           AlertCase{"0", "255", "0"}, AlertCase{"2", "150", "3"},
                                           AlertCase{"4", "255", "5"}, AlertCase{"4", "300", "5"},
                                           AlertCase{"1", "59", "1"}, AlertCase{"1", "61", "2"}));

TEST_F(FeatureRules, ChangingTheReminderChecksOnlyItsLimit) {
    model.userEdit("alerttime", "255");
    model.userEdit("unread_alert", "1");
    EXPECT_EQ(model.text("unread_alert"), "1");
}

TEST_F(FeatureRules, EmptyReminderCannotBeComparedWithTheAlertTime) {
    model.userEdit("unread_alert", "");
    try {
        model.userEdit("alerttime", "100");
        ADD_FAILURE() << "an empty reminder was compared";
    } catch (const ConversionError& error) {
        EXPECT_STREQ(error.what(), "'' is not a valid integer value");
    }
}

class Contrast : public FeatureRules, public ::testing::WithParamInterface<std::pair<std::string, std::string>> {};

TEST_P(Contrast, IsBroughtIntoRangeWhenLeft) {
    const auto& [typed, left] = GetParam();
    model.userEdit("contrast", typed);
    EXPECT_EQ(model.text("contrast"), typed) << "nothing happens while typing";
    model.leave("contrast");
    EXPECT_EQ(model.text("contrast"), left);
    EXPECT_TRUE(host.events.empty());
}

INSTANTIATE_TEST_SUITE_P(Range, Contrast,
                         ::testing::Values(std::pair<std::string, std::string>{"5", "08"}, std::pair{"7", "08"},
                                           std::pair{"8", "8"}, std::pair{"63", "63"}, std::pair{"64", "63"},
                                           std::pair{"99", "63"}, std::pair{"0", "08"}));

TEST_F(FeatureRules, EmptyContrastRaisesTheConversionError) {
    model.userEdit("contrast", "");
    EXPECT_THROW(model.leave("contrast"), ConversionError);
}

TEST_F(FeatureRules, CirroSpecialVibrateLocksTheAlertAndOtherTypesReleaseIt) {
    model.userEdit("unread_alert", "5");
    model.userPick("vibratetype", 3);
    EXPECT_EQ(model.text("vibratetype"), "Cirro special vibrate");
    EXPECT_EQ(model.text("alerttime"), "12");
    EXPECT_EQ(model.text("alerttype"), "Vibrate");
    EXPECT_EQ(model.text("alertmode"), "ABCD Tone");
    EXPECT_EQ(model.index("alertmode"), 1);
    for (const char* field : {"alerttime", "alerttype", "alertmode"}) EXPECT_FALSE(model.enabled(field)) << field;
    EXPECT_EQ(model.text("unread_alert"), "5");

    model.userPick("vibratetype", 0);
    for (const char* field : {"alerttime", "alerttype", "alertmode"}) EXPECT_TRUE(model.enabled(field)) << field;
    EXPECT_EQ(model.text("alerttime"), "12");
    EXPECT_EQ(model.text("alerttype"), "Vibrate");
    EXPECT_EQ(model.text("alertmode"), "ABCD Tone");
}

struct AlertTypeCase {
    int pick;
    bool vibrateEnabled;
    bool modeEnabled;
};

class AlertType : public FeatureRules, public ::testing::WithParamInterface<AlertTypeCase> {};

TEST_P(AlertType, CouplesVibrateTypeAndAlertMode) {
    const auto [pick, vibrateEnabled, modeEnabled] = GetParam();
    model.userPick("vibratetype", 1);
    model.setEnabled("alertmode", !modeEnabled);
    model.setEnabled("vibratetype", !vibrateEnabled);
    model.setIndex("alertmode", 0);
    model.userPick("alerttype", pick);
    EXPECT_EQ(model.enabled("vibratetype"), vibrateEnabled);
    EXPECT_EQ(model.text("vibratetype"), pick == 0 ? "Continuous" : "1Hz pulse");
    EXPECT_EQ(model.enabled("alertmode"), modeEnabled);
    EXPECT_EQ(model.text("alertmode"), modeEnabled ? "Melody" : "ABCD Tone");
}

INSTANTIATE_TEST_SUITE_P(Items, AlertType,
                         ::testing::Values(AlertTypeCase{0, false, true}, AlertTypeCase{1, true, false},
                                           AlertTypeCase{2, true, false}, AlertTypeCase{3, true, true}));

TEST_F(FeatureRules, RepeatCallChain) {
    model.userClick("repeatmsg");
    model.userPick("repeatcallcheck", 1);
    ASSERT_TRUE(model.checked("repeatmsg"));

    model.userPick("repeatcallcheck", 2);
    EXPECT_FALSE(model.checked("repeatmsg"));
    EXPECT_EQ(model.text("repeatcallcheck"), "Disable");
    EXPECT_TRUE(model.enabled("repeatcallcheck"));
    EXPECT_EQ(model.index("repeatcallreject"), 0);
    EXPECT_FALSE(model.enabled("repeatcallreject"));

    model.userPick("repeatcallcheck", 0);
    EXPECT_TRUE(model.checked("repeatmsg"));
    EXPECT_TRUE(model.enabled("repeatcallreject"));
    EXPECT_EQ(model.index("repeatcallcheck"), 0);

    model.userPick("repeatcallreject", 5);
    model.userClick("repeatmsg");
    EXPECT_EQ(model.index("repeatcallcheck"), 2);
    EXPECT_TRUE(model.enabled("repeatcallcheck"));
    EXPECT_EQ(model.index("repeatcallreject"), 0);
    EXPECT_FALSE(model.enabled("repeatcallreject"));

    model.userClick("repeatmsg");
    EXPECT_EQ(model.index("repeatcallcheck"), 2) << "stays at Disable until the user picks again";
    EXPECT_FALSE(model.enabled("repeatcallreject"));
}

TEST_F(FeatureRules, MessageStatusAndTimeDisplayClearTheTimeStamp) {
    model.userClick("msgstatus");
    EXPECT_TRUE(model.enabled("datetime"));
    model.userClick("datetime");
    model.userClick("msgstatus");
    EXPECT_FALSE(model.checked("datetime"));
    EXPECT_FALSE(model.enabled("datetime"));

    model.userClick("msgstatus");
    model.userClick("timedisplay");
    model.userClick("datetime");
    model.userClick("timedisplay");
    EXPECT_FALSE(model.checked("datetime"));
    EXPECT_TRUE(model.enabled("datetime"));
}

TEST_F(FeatureRules, PrefixBoxesAlwaysAgree) {
    model.userClick("timeprefix");
    EXPECT_TRUE(model.checked("msgstatusprefix"));
    model.userClick("msgstatusprefix");
    EXPECT_FALSE(model.checked("timeprefix"));
    model.setChecked("msgstatusprefix", true);  // as the decoder does
    EXPECT_TRUE(model.checked("timeprefix"));
}

struct BoxCase {
    std::string box;
    std::vector<std::string> fields;
};

class EnablingBox : public FeatureRules, public ::testing::WithParamInterface<BoxCase> {};

TEST_P(EnablingBox, FieldsAreEditableOnlyWhileChecked) {
    const auto& [box, fields] = GetParam();
    model.setChecked(box, true);
    for (const auto& field : fields) EXPECT_TRUE(model.enabled(field)) << field;
    const std::string value = model.text(fields.front());
    model.userClick(box);
    for (const auto& field : fields) EXPECT_FALSE(model.enabled(field)) << field;
    EXPECT_EQ(model.text(fields.front()), value);
}

INSTANTIATE_TEST_SUITE_P(
    Boxes, EnablingBox,
    ::testing::Values(BoxCase{"handprog", {"handprogpws"}}, BoxCase{"autooff", {"autooffstart", "autooffstop"}},
                      BoxCase{"alarm", {"alarmhour", "alarmminute"}},
                      BoxCase{"toneonlymsg", {"cannedmsgA", "cannedmsgB", "cannedmsgC", "cannedmsgD"}},
                      BoxCase{"contrast_enable", {"contrast"}}));

struct KeyCase {
    std::string field;
    std::string passes;
    std::string refused;
    std::string line;  // logged for each refusal, "" = silent or beep only
    bool beeps;
};

class KeyFilters : public FeatureRules, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(KeyFilters, PassOrRefuseKeys) {
    const auto& [field, passes, refused, line, beeps] = GetParam();
    for (char key : passes) EXPECT_EQ(model.key(field, key), key) << field << " '" << key << "'";
    EXPECT_TRUE(host.events.empty());
    for (char key : refused) {
        host.clear();
        EXPECT_EQ(model.key(field, key), std::nullopt) << field << " '" << key << "'";
        Events expected;
        if (!line.empty()) expected.push_back("log: " + line);
        if (beeps) expected.push_back("beep");
        EXPECT_EQ(host.events, expected) << field << " '" << key << "'";
    }
}

const std::string kDigits = "0123456789\b";

INSTANTIATE_TEST_SUITE_P(
    Filters, KeyFilters,
    ::testing::Values(KeyCase{"maxprivate", kDigits, "a .-", "Number 0-9 and backspace only", true},
                      KeyCase{"address8", kDigits, "x", "Number 0-9 and backspace only", true},
                      KeyCase{"f_ref", kDigits, "e", "Number 0-9 and backspace only", true},
                      KeyCase{"tonepatternA", kDigits + "ABCDEF", "abcfGZ ", "Number 0-9,A-F and backspace only", true},
                      KeyCase{"tonepatternUcall2", "F", "f", "Number 0-9,A-F and backspace only", true},
                      KeyCase{"msgtype1", "", "P1\b", "", false}, KeyCase{"pll", "", "K", "", false},
                      KeyCase{"pubbox0", "a Z!", "", "", false}, KeyCase{"n_count", "1x", "", "", false}));

// Every field guarded by a filter of this tab refuses a key outside its set in the filter's way.
TEST_F(FeatureRules, EveryFieldFollowsTheFilterOfTheFieldTable) {
    for (const FieldDef& def : fieldTable()) {
        host.clear();
        const std::optional<PassedKey> result = model.key(def.name, '#');
        switch (def.filter) {
            case KeyFilter::None: EXPECT_EQ(result, '#') << def.name; break;
            case KeyFilter::Number:
                EXPECT_EQ(host.events, (Events{"log: Number 0-9 and backspace only", "beep"})) << def.name;
                break;
            case KeyFilter::TonePattern:
                EXPECT_EQ(host.events, (Events{"log: Number 0-9,A-F and backspace only", "beep"})) << def.name;
                break;
            case KeyFilter::NoKey: EXPECT_TRUE(host.events.empty()) << def.name; break;
            case KeyFilter::Autoinc:
            case KeyFilter::Length:
            case KeyFilter::Frequency: EXPECT_EQ(host.events, (Events{"beep"})) << def.name; break;
        }
        if (def.filter != KeyFilter::None) {
            EXPECT_EQ(result, std::nullopt) << def.name;
        }
    }
}

}  // namespace
}  // namespace pagerprog
