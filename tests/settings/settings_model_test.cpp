// The model raises events the way the window's controls do; rules rely on it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "context/context.h"
#include "host/error_handler.h"
#include "settings/conversion.h"
#include "support/recording_host.h"

namespace pagerprog {
namespace {

class ModelEvents : public ::testing::Test {
protected:
    SettingsModel model;
    std::vector<std::string> raised;

    void record(const std::string& field) {
        model.onChange(field, [this, field] { raised.push_back("change " + field); });
        model.onExit(field, [this, field] { raised.push_back("exit " + field); });
        model.onClick(field, [this, field] { raised.push_back("click " + field); });
    }
};

TEST_F(ModelEvents, TextSetFromCodeRaisesChangeOnlyWhenItDiffers) {
    record("address1");
    model.setText("address1", "2004000");
    EXPECT_TRUE(raised.empty()) << "setting the text it already holds raises nothing";
    model.setText("address1", "2004008");
    EXPECT_EQ(raised, std::vector<std::string>{"change address1"});
    EXPECT_EQ(model.text("address1"), "2004008");
}

TEST_F(ModelEvents, FlagSetFromCodeRaisesClickOnlyOnARealChange) {
    record("alarm");
    model.setChecked("alarm", false);
    EXPECT_TRUE(raised.empty());
    model.setChecked("alarm", true);
    model.setChecked("alarm", true);
    model.userClick("alarm");
    EXPECT_EQ(raised, (std::vector<std::string>{"click alarm", "click alarm"}));
    EXPECT_FALSE(model.checked("alarm"));
}

TEST_F(ModelEvents, ChoiceSetFromCodeRaisesNothingButAUserPickDoes) {
    record("alerttype");
    model.setIndex("alerttype", 0);
    EXPECT_TRUE(raised.empty());
    EXPECT_EQ(model.text("alerttype"), "Tone");
    model.userPick("alerttype", 2);
    EXPECT_EQ(raised, std::vector<std::string>{"change alerttype"});
    EXPECT_EQ(model.index("alerttype"), 2);
    EXPECT_THROW(model.userPick("alerttype", 4), std::out_of_range);
}

TEST_F(ModelEvents, OutOfListIndexLeavesNoItemChosen) {
    model.setIndex("pager_model", 7);
    EXPECT_EQ(model.index("pager_model"), -1);
    EXPECT_EQ(model.text("pager_model"), "");
}

TEST_F(ModelEvents, EditableChoiceTracksTypedText) {
    record("n_count");
    model.userEdit("n_count", "10");
    EXPECT_EQ(model.index("n_count"), 3);
    model.userEdit("n_count", "11");
    EXPECT_EQ(model.index("n_count"), -1);
    EXPECT_EQ(model.text("n_count"), "11");
    EXPECT_EQ(raised, (std::vector<std::string>{"change n_count", "change n_count"}));
}

TEST_F(ModelEvents, ExitAndDirectFiringRunTheAttachedRule) {
    record("pubbox0");
    model.leave("pubbox0");
    model.fireChange("pubbox0");
    model.fireClick("pubbox0");
    EXPECT_EQ(raised, (std::vector<std::string>{"exit pubbox0", "change pubbox0", "click pubbox0"}));
    EXPECT_NO_THROW(model.fireExit("pubbox1")) << "a field without a rule ignores its events";
}

TEST_F(ModelEvents, KeyHandlerMayDiscardOrReplaceAKey) {
    model.onKey("frequency", [](char key) -> std::optional<char> {
        if (key == 'x') return std::nullopt;
        return key == '5' ? ',' : key;
    });
    EXPECT_EQ(model.key("frequency", 'x'), std::nullopt);
    EXPECT_EQ(model.key("frequency", '5'), ',');
    EXPECT_EQ(model.key("frequency", '1'), '1');
    EXPECT_EQ(model.key("pubbox0", '#'), '#') << "no filter passes every key";
}

TEST_F(ModelEvents, TypingReplacesASelectionHonoursTheLimitAndRaisesChangePerKey) {
    record("address1");
    model.selectAll("address1");
    for (char c : std::string("2004013")) EXPECT_TRUE(model.typeKey("address1", c));
    EXPECT_EQ(model.text("address1"), "2004013");
    EXPECT_EQ(raised.size(), 7u) << "every typed character raises change";
    EXPECT_FALSE(model.typeKey("address1", '9')) << "seven characters is the typed limit";
    EXPECT_TRUE(model.typeKey("address1", kBackspace));
    EXPECT_EQ(model.text("address1"), "200401");
    model.onKey("address1", [](char) -> std::optional<char> { return std::nullopt; });
    EXPECT_FALSE(model.typeKey("address1", '1'));
    EXPECT_EQ(model.text("address1"), "200401");
}

TEST_F(ModelEvents, KeysAppendedAtTheEndDropTheSelection) {
    // Like the frequency filter: the digit comes with the separator, after the text so far.
    model.onKey("frequency", [](char key) -> std::optional<PassedKey> { return PassedKey({key, '.'}, true); });
    model.setText("frequency", "14");
    model.selectAll("frequency");
    EXPECT_TRUE(model.typeKey("frequency", '6'));
    EXPECT_EQ(model.text("frequency"), "146.");
}

TEST(ModelItems, DeleteAndReplaceKeepTheChoiceConsistent) {
    SettingsModel model;
    model.setIndex("addr2formatA", 3);
    model.replaceItem("addr2formatA", 2, "Hebrew");
    EXPECT_EQ(model.field("addr2formatA").items[2], "Hebrew");
    EXPECT_EQ(model.index("addr2formatA"), 3) << "a later chosen item keeps its place";
    model.setIndex("addr2formatA", 2);
    model.replaceItem("addr2formatA", 2, "Tone");
    EXPECT_EQ(model.index("addr2formatA"), -1) << "replacing the chosen item loses the choice";
    for (int i = 13; i >= 3; --i) model.deleteItem("language", i);
    EXPECT_EQ(model.field("language").items, (std::vector<std::string>{"English-USA", "English-UK", "French"}));
    model.deleteItem("language", 13);
    EXPECT_EQ(model.field("language").items.size(), 3u) << "deleting an item the list lacks does nothing";
}

TEST(ModelStates, ObserversHearEveryVisibleChange) {
    SettingsModel model;
    std::vector<std::string> heard;
    model.addObserver([&](const std::string& name) { heard.push_back(name); });
    model.setEnabled("contrast", true);
    model.setShown("alerttype", false);
    model.setElementVisible(element::groupSpeed, false);
    model.setElementChecked(element::lpt1, true);  // already checked: nothing
    model.setTitle("73TV8 Capcode Programmer Customer Version");
    EXPECT_EQ(heard, (std::vector<std::string>{"contrast", "alerttype", "alerttype", "rw_speed", "Form1"}));
    EXPECT_FALSE(model.field("alerttype").labelVisible);
    EXPECT_EQ(model.title(), "73TV8 Capcode Programmer Customer Version");
}

TEST(ModelFocus, FirstRequestWithinOneEventWinsAndArrivesWhenItEnds) {
    testing::RecordingHost host;
    Context ctx(host);
    auto& model = ctx.model;
    // Leaving address1 drags address2 along; address2's own exit rule fails and
    // asks for the focus, then address1's rule asks too.
    model.onExit("address2", [&] {
        host.log("address2 refused");
        model.requestFocus("address2");
    });
    model.onExit("address1", [&] {
        const auto before = host.focusRequests.size();
        model.fireExit("address2");
        EXPECT_EQ(host.focusRequests.size(), before) << "requests wait until the user event ends";
        model.requestFocus("address1");
    });
    model.leave("address1");
    EXPECT_EQ(host.focusRequests, std::vector<std::string>{"address2"});
    model.leave("address1");
    EXPECT_EQ(host.focusRequests.size(), 2u) << "a new user event may move the focus again";
    model.requestFocus("f_ref");
    EXPECT_EQ(host.focusRequests.back(), "f_ref") << "outside an event a request passes at once";
}

TEST(ModelFocus, PendingRequestSurvivesAFailingRule) {
    testing::RecordingHost host;
    Context ctx(host);
    ctx.model.onExit("contrast", [&] {
        ctx.model.requestFocus("contrast");
        throw invalidInteger("");
    });
    EXPECT_FALSE(runGuarded(host, [&] { ctx.model.leave("contrast"); }));
    EXPECT_EQ(host.events, (std::vector<std::string>{"focus: contrast", "message: '' is not a valid integer value"}));
}

TEST(ErrorHandler, ShowsTheErrorTextAndCarriesOn) {
    testing::RecordingHost host;
    EXPECT_TRUE(runGuarded(host, [] {}));
    EXPECT_FALSE(runGuarded(host, [] { throw invalidFloat("1,5"); }));
    EXPECT_FALSE(runGuarded(host, [] { throw 42; }));
    EXPECT_EQ(host.messages, (std::vector<std::string>{"'1,5' is not a valid floating point value", ""}));
}

}  // namespace
}  // namespace pagerprog
