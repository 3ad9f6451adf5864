// The field table: every field once, with the initial state technicians first see.
#include <gtest/gtest.h>

#include <iterator>
#include <set>
#include <stdexcept>
#include <string>

#include "settings/field_table.h"
#include "settings/settings_model.h"

namespace pagerprog {
namespace {

TEST(FieldTable, EveryNameIsUniqueAndFound) {
    std::set<std::string> names;
    for (const auto& f : fieldTable()) {
        EXPECT_TRUE(names.insert(f.name).second) << f.name;
        EXPECT_EQ(findFieldDef(f.name), &f);
        EXPECT_FALSE(f.tab.empty()) << f.name;
        if (f.kind == FieldKind::Choice && f.index >= 0) {
            ASSERT_LT(f.index, static_cast<int>(f.items.size())) << f.name;
            EXPECT_EQ(f.text, f.items[static_cast<std::size_t>(f.index)]) << f.name;
        }
    }
    for (const auto& e : elementTable()) EXPECT_TRUE(names.insert(e.name).second) << "element " << e.name;
    EXPECT_EQ(findFieldDef("nosuchfield"), nullptr);
}

// Fails when a name constant or a name builder spells a field the table does not have,
// or when the table gains a field nobody can name.
TEST(FieldTable, TheNamesInTheCodeAreExactlyTheTablesFields) {
    std::multiset<std::string> named(std::begin(field::kSingleFields), std::end(field::kSingleFields));
    for (int slot = 1; slot <= field::kAddressSlots; ++slot) {
        for (const std::string& name : {field::addrEn(slot), field::address(slot), field::autoinc(slot),
                                        field::frame(slot), field::msgtype(slot)})
            named.insert(name);
        for (char code : field::kFunctionCodes) {
            named.insert(field::addrFormat(slot, code));
            named.insert(field::urgent(slot, code));
        }
    }
    for (int folder = 0; folder < field::kFolders; ++folder) {
        named.insert(field::pubboxact(folder));
        named.insert(field::pubbox(folder));
        named.insert(field::pubboxlength(folder));
    }
    for (int number = 1; number <= field::kPromptMessages; ++number) named.insert(field::promptMessage(number));
    std::multiset<std::string> table;
    for (const auto& f : fieldTable()) table.insert(f.name);
    EXPECT_EQ(named, table);
    EXPECT_STREQ(field::hellomsg(2), field::hellomsg2);
}

TEST(FieldTable, ItemsAreFoundByTheirText) {
    EXPECT_EQ(tableItem(field::customer, "Fennic"), 3);
    EXPECT_EQ(tableItem(field::alerttype, "User select"), 3);
    EXPECT_EQ(tableItem(field::addrFormat(8, 'D'), "Disable"), 3);
    EXPECT_THROW(tableItem(field::customer, "fennic"), std::logic_error);
    EXPECT_THROW(tableItem("nosuchfield", "Fennic"), std::logic_error);
}

TEST(FieldTable, FamiliesAreComplete) {
    int prompts = 0, addressFields = 0, folderFields = 0;
    for (const auto& f : fieldTable()) {
        if (f.tab == element::tabPromptMsg) ++prompts;
        if (f.group == element::groupAddress) ++addressFields;
        if (f.group == element::groupFolder) ++folderFields;
    }
    EXPECT_EQ(prompts, 51);
    EXPECT_EQ(addressFields, 8 * 13);
    EXPECT_EQ(folderFields, 24 * 3);
    EXPECT_NE(findFieldDef("pnsg27"), nullptr);
    EXPECT_EQ(findFieldDef("pmsg27"), nullptr);
    int noKey = 0;
    for (const auto& f : fieldTable()) noKey += f.filter == KeyFilter::NoKey;
    EXPECT_EQ(noKey, 63) << "the combo boxes whose values can only be picked";
}

struct Initial {
    const char* field;
    const char* text;
};

TEST(FieldTable, InitialTextsAsTheWindowShowsThem) {
    const Initial cases[] = {
        {"address1", "2004000"},
        {"address8", "2004056"},
        {"frame3", "0"},
        {"autoinc5", "0"},
        {"addr1formatB", "Tone"},
        {"addr1formatC", "Alpha"},
        {"addr4formatA", "Alpha"},
        {"pubbox0", "FOLDER 00 "},
        {"pubbox1", "FOLDER 01  "},
        {"pubboxG", "FOLDER 16 "},
        {"pubboxH", "FOLDER 17 "},
        {"pubboxN", "FOLDER 23  "},
        {"pubboxlengthA", "1"},
        {"numset", "0-9,ABCDE'SP' "},
        {"alertmode", "ABCD Tone"},
        {"vibratetype", "Continuous"},
        {"lcdholdtime", "005"},
        {"contrast", "50"},
        {"unread_alert", "5"},
        {"handprogpws", "5937"},
        {"frequency", "146.56250"},
        {"language", "English-UK"},
        {"alarmhour", "06"},
        {"alarmminute", "30"},
        {"cannedmsgA", "Tone A Message    "},
        {"cannedmsgD", "Tone D message "},
        {"hellomsg1", "     - QTX73T -            "},
        {"hellomsg2", "12345678901234567890"},
        {"tonepatternUcall1", "FCFF"},
        {"vibratepattern", "8000"},
        {"pager_model", "QTX73T"},
        {"BS2", "15"},
        {"bs1_8212", "60"},
        {"bs3_8212", "61"},
        {"errcorrect", "2 bit"},
        {"error_rate", "2 CNT"},
        {"lcd_bias", "10"},
        {"r_count", "4"},
        {"cpu_clock1", "4"},
        {"cpu_clock", "4.194"},
        {"Vref", "2.70"},
        {"gonebat", "0.90"},
        {"pll", "SM5170"},
        {"f_version", "2"},
        {"pmsg1", "pmsg1"},
        {"pnsg27", "pnsg27"},
        {"customer", "Cirro"},
        {"rangetime", "1 min"},
        {"repeatcallreject", "Disable"},
    };
    SettingsModel model;
    for (const auto& c : cases) EXPECT_EQ(model.text(c.field), c.text) << c.field;
    EXPECT_EQ(model.field("pubbox0").text.size(), 10u) << "over-long initial texts stay whole";
    EXPECT_EQ(model.field("repeatcallreject").items.size(), 16u);
    EXPECT_EQ(model.field("repeatcallreject").items[10], "10min");
    EXPECT_EQ(model.field("rangetime").items.size(), 15u);
}

TEST(FieldTable, InitialStates) {
    SettingsModel model;
    for (const char* name : {"numset", "alertmode", "vibratetype"}) EXPECT_EQ(model.index(name), -1) << name;
    for (const char* name : {"msgtype7", "msgtype8", "contrast", "alarmhour", "autooffstart", "decoder", "lcddrv",
                             "cpu_clock1", "lcd_module", "char_size", "pll_enable", "lcd_fosc"})
        EXPECT_FALSE(model.enabled(name)) << name;
    for (const char* name : {"msgtypestamp", "vibratepattern", "bs1_8212", "bs3_8212", "bs2_option", "end_of_msg",
                             "clko", "filter_strength", "filter_enable", "lcd_fosc", "lcd_tc", "lcd_bias", "cpu_clock"})
        EXPECT_FALSE(model.visible(name)) << name;
    EXPECT_FALSE(model.field("lcddrv_opa").labelVisible);
    EXPECT_TRUE(model.visible("lcddrv_opa"));
    EXPECT_EQ(model.index("msgtype1"), 0);
    EXPECT_EQ(model.index("msgtype6"), 1);
    EXPECT_TRUE(model.checked("addr8en"));
    EXPECT_TRUE(model.checked("pubboxactN"));
    EXPECT_TRUE(model.checked("filter_enable"));
    EXPECT_FALSE(model.checked("alarm"));
    EXPECT_EQ(model.level("TrackBar1"), 50);
    EXPECT_EQ(model.level("TrackBar4"), 80);
    EXPECT_EQ(model.field("address3").def->limit, 7);
    EXPECT_EQ(model.field("hellomsg1").def->limit, 20);
    EXPECT_EQ(model.field("language").def->dropDownRows, 13);
    EXPECT_EQ(model.field("msgtype3").def->hint, "Select Private will disable message folder 5-8");
    EXPECT_EQ(model.field("msgtype4").def->hint, "Select Private will disable message folder 9-12");
    EXPECT_EQ(model.field("msgtype8").def->hint, "Select Private will disable message folder 9-12");
    EXPECT_EQ(model.field("msgtype2").def->hint, "Select Private will disable message folder 1-4");
    EXPECT_EQ(model.field("pubboxact9").def->caption, "[10]");
    EXPECT_EQ(model.field("BS2").def->label, "BS1");
    EXPECT_EQ(model.field("rangetime").def->label, " Rang hold time");
}

TEST(ElementTable, MenusTabsAndTitleStartAsTheWindowDoes) {
    SettingsModel model;
    EXPECT_EQ(model.title(), "?");
    EXPECT_FALSE(model.element(element::tabPromptMsg).visible);
    EXPECT_FALSE(model.element(element::menuParallelPort).visible);
    EXPECT_TRUE(model.element(element::lpt1).checked);
    EXPECT_FALSE(model.element(element::lpt2).checked);
    EXPECT_EQ(model.element(element::switchModel).caption, "&V2");
    EXPECT_FALSE(model.element(element::switchModel).visible);
    EXPECT_FALSE(model.element(element::debug).visible);
    EXPECT_EQ(model.element(element::writeToPager).caption, "&WR_To_Pager");
    EXPECT_EQ(model.element(element::readFromPager).caption, "&RD_From_Pager");
    EXPECT_EQ(model.element(element::recoverKS8809).def->parent, element::recover);
    EXPECT_EQ(model.element(element::groupSpeed).caption, "Read_Write Speed");
    EXPECT_EQ(model.element(element::groupBattery).caption, "Q4 Battery Detect Voltage");
    EXPECT_EQ(model.element(element::groupFolder).def->hint, "Total 100 message can be received");
}

}  // namespace
}  // namespace pagerprog
