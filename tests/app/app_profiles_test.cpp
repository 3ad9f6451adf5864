// Customer, model and revision profiles on a started program.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <tuple>

#include "app/document/application.h"
#include "app/document/profiles.h"
#include "support/recording_host.h"

namespace pagerprog {
namespace {

class Profiles : public ::testing::Test {
protected:
    void SetUp() override {
        app.start(StartupOptions{'.', "/nonexistent"});
        host.clear();
    }

    testing::RecordingHost host;
    Application app{host};
    SettingsModel& m = app.model();
};

// The customers other than Cirro and Dunlin, with the titles their profile sets.
struct StandardCustomer {
    int customer;
    const char* title;
};
constexpr StandardCustomer kStandardCustomers[] = {{3, "73T Capcode Programmer - Fennic Version"},
                                                   {4, "73T Capcode Programmer - Normal Version"},
                                                   {1, "73T Capcode Programmer - Normal Version"}};

TEST_F(Profiles, StandardCustomersHideTheCirroFeatures) {
    for (const StandardCustomer& c : kStandardCustomers) {
        m.setChecked("toneonlymsg", true);
        m.setChecked("quietsound", true);
        m.setChecked("pageoff", false);
        m.userPick("customer", c.customer);
        EXPECT_EQ(m.title(), c.title);
        EXPECT_FALSE(m.element(element::groupCanned).visible);
        EXPECT_FALSE(m.visible("alerttype"));
        EXPECT_FALSE(m.field("alerttype").labelVisible);
        EXPECT_EQ(m.text("alerttype"), "User select");
        EXPECT_EQ(m.text("vibratetype"), "Continuous");
        EXPECT_FALSE(m.checked("toneonlymsg"));
        EXPECT_FALSE(m.enabled("cannedmsgA")) << "clearing the canned-message box runs its rule";
        EXPECT_FALSE(m.checked("quietsound"));
        EXPECT_TRUE(m.checked("pageoff"));
        EXPECT_FALSE(m.visible("pageoff"));
        EXPECT_TRUE(m.element(element::debug).visible);
        EXPECT_FALSE(m.enabled("pager_model"));
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(app.program().image.data() + 0x066), 3), "73T");
    }
    m.userPick("customer", 0);
    EXPECT_EQ(m.title(), "73TV8 Capcode Programmer - Customer Version");
    EXPECT_TRUE(m.element(element::groupCanned).visible);
    EXPECT_TRUE(m.visible("alerttype"));
    EXPECT_TRUE(m.field("alerttype").labelVisible);
    EXPECT_FALSE(m.visible("repeatmsg"));
}

TEST_F(Profiles, LoadingAFileAppliesItsCustomerProfile) {
    const std::string file =
        (std::filesystem::temp_directory_path() / ("pagerprog_profile_" + std::to_string(::getpid()) + ".eep"))
            .string();
    for (const StandardCustomer& c : kStandardCustomers) {
        m.userPick("customer", c.customer);
        host.saveAnswers.push_back(file);
        ASSERT_TRUE(app.menuCommand(element::save));

        testing::RecordingHost otherHost;
        Application other{otherHost};
        other.start(StartupOptions{'.', "/nonexistent"});
        other.model().setIndex("customer", c.customer);  // the file loads only for its own customer
        otherHost.openAnswers.push_back(file);
        ASSERT_TRUE(other.menuCommand(element::open)) << c.customer;
        EXPECT_EQ(other.model().title(), c.title);
        EXPECT_FALSE(other.model().element(element::groupCanned).visible);
        EXPECT_TRUE(other.model().element(element::debug).visible);
        EXPECT_EQ(other.program().image[0x024], c.customer == 3 ? 0x54 : 0x00) << "the Fennic mark";
    }
    std::filesystem::remove(file);
}

TEST_F(Profiles, DunlinIsNotSupported) {
    const std::string title = m.title();
    m.userPick("customer", 2);
    EXPECT_EQ(host.events, (std::vector<std::string>{"beep", "message: Not yet support in this version!!!"}));
    EXPECT_EQ(m.index("customer"), 2);
    EXPECT_EQ(m.title(), title);
}

TEST_F(Profiles, ModelQtx41kTurnsToneIntoHebrewAndKeepsTheImageFormats) {
    Image& image = app.program().image;
    image[0x048] = 0b11100100;  // slot 1: A Numeric, B Alpha, C Tone, D Disable
    image[0x049] = 0b10101010;  // slot 2: all Tone
    m.setIndex("pager_model", 1);
    pager_modelChange(app.context());
    for (int slot = 1; slot <= 6; ++slot)
        for (char code : std::string("ABCD"))
            EXPECT_EQ(m.field("addr" + std::to_string(slot) + "format" + code).items[2], "Hebrew");
    EXPECT_EQ(m.field("addr7formatA").items[2], "Tone") << "slots 7 and 8 keep Tone";
    EXPECT_EQ(m.index("addr1formatC"), 2);
    EXPECT_EQ(m.text("addr1formatC"), "Hebrew");
    EXPECT_EQ(m.index("addr1formatD"), 3);
    EXPECT_EQ(m.index("addr2formatB"), 2);
    EXPECT_EQ(m.text("frequency"), "152.24000");
    EXPECT_EQ(m.text("lcd_module"), "120*32");
    EXPECT_EQ(m.text("hellomsg1"), "------ QTX41K ------");
    EXPECT_EQ(m.title(), "41 Hebrew Capcode Programmer Customer Version");

    m.setIndex("pager_model", 0);
    pager_modelChange(app.context());
    EXPECT_EQ(m.field("addr3formatA").items[2], "Tone");
    EXPECT_TRUE(m.visible("zoom"));
    EXPECT_EQ(m.title(), "41C Capcode Programmer Customer Version");
}

// Every field's and element's shown/enabled state and value, for comparing whole states.
using Snapshot = std::map<std::string, std::tuple<std::string, int, bool, bool, bool, bool>>;

Snapshot snapshot(const SettingsModel& m) {
    Snapshot s;
    for (const auto& f : m.fields())
        s[f.def->name] = {f.text, f.index, f.checked, f.enabled, f.visible, f.labelVisible};
    for (const auto& e : m.elements())
        s["element " + e.def->name] = {e.caption, 0, e.checked, e.enabled, e.visible, true};
    return s;
}

TEST_F(Profiles, ThreeRevisionStepsRestoreEveryState) {
    const Snapshot before = snapshot(m);
    const std::string file = app.program().languageFile;
    switch_modelClick(app.context());
    EXPECT_EQ(app.program().hardwareRevision, Revision::TV7r2);
    EXPECT_EQ(m.element(element::switchModel).caption, "&TV7r2");
    EXPECT_EQ(m.text("contrast"), "50");
    EXPECT_FALSE(m.visible("address7"));
    EXPECT_FALSE(m.visible("lcddrv_opa"));
    EXPECT_TRUE(m.element(element::groupBattery).visible);
    EXPECT_EQ(app.program().languageFile, "EnglishStr.lib");
    m.userPick("language", 2);
    EXPECT_EQ(app.program().languageFile, "FranchStr.lib");
    m.userPick("language", 1);
    switch_modelClick(app.context());
    EXPECT_EQ(m.element(element::switchModel).caption, "&TV7r3");
    EXPECT_EQ(m.text("contrast"), "25");
    EXPECT_TRUE(m.visible("lcddrv_opa"));
    EXPECT_TRUE(m.visible("BS2"));
    EXPECT_FALSE(m.visible("bs1_8212"));
    switch_modelClick(app.context());
    EXPECT_EQ(snapshot(m), before);
    EXPECT_EQ(app.program().languageFile, file);
}

TEST_F(Profiles, MenuCommands) {
    app.menuCommand(element::about);
    app.menuCommand(element::about);
    EXPECT_EQ(host.logLines, std::vector<std::string>(2, "73TV8 USB CapCode Programmer Windows version V7.6"));

    app.menuCommand(element::recoverSM5170);
    app.menuCommand(element::recoverKS8809);
    EXPECT_TRUE(m.element(element::recoverKS8809).checked);
    EXPECT_FALSE(m.element(element::recoverSM5170).checked);
    EXPECT_TRUE(m.element(element::recover).checked);
    EXPECT_EQ(m.text("pll"), "KS8809");
    m.setIndex("pll", 1);
    app.menuCommand(element::recoverKS8809);
    EXPECT_FALSE(m.element(element::recoverKS8809).checked);
    EXPECT_FALSE(m.element(element::recover).checked);
    EXPECT_EQ(m.text("pll"), "SM5170") << "unchecking leaves the chip as it is";

    app.menuCommand(element::lpt2);
    EXPECT_EQ(app.program().portBase, parallel_port::lpt2.base);
    EXPECT_TRUE(m.element(element::lpt2).checked);
    EXPECT_FALSE(m.element(element::lpt1).checked);
    app.menuCommand(element::lpt1);
    EXPECT_EQ(app.program().portBase, parallel_port::lpt1.base);

    app.menuCommand(element::debug);
    EXPECT_TRUE(m.element(element::debug).checked);
    app.menuCommand(element::debug);
    EXPECT_FALSE(m.element(element::debug).checked);
}

}  // namespace
}  // namespace pagerprog
