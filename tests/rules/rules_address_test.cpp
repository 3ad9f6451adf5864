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

const std::string kSame = "log: Same capcode address not allowed ";

std::string rangeLine(int slot) {
    return "log: Address [" + std::to_string(slot) +
           "] range out, should be within 8-2007663; 2007672-2045055; 2045064-2097143";
}

class AddressRules : public testing::RulesFixture {};

struct RangeCase {
    int capcode;
    bool valid;
};

class CapcodeRange : public AddressRules, public ::testing::WithParamInterface<RangeCase> {};

// Seven-digit capcodes on both sides of each end of the three valid ranges.
TEST_P(CapcodeRange, SevenDigitsAreCheckedAsTheyAreTyped) {
    const auto [capcode, valid] = GetParam();
    std::string text = std::to_string(capcode);
    text.insert(0, 7 - text.size(), '0');
    model.userEdit("address3", text);
    if (valid) {
        EXPECT_EQ(model.text("frame3"), std::to_string(capcode % 8));
        EXPECT_TRUE(host.logLines.empty());
    } else {
        EXPECT_EQ(model.text("frame3"), "0") << "the frame keeps its previous text";
        EXPECT_EQ(host.events, (Events{"beep", rangeLine(3), "focus: address3"}));
    }
}

INSTANTIATE_TEST_SUITE_P(Boundaries, CapcodeRange,
                         ::testing::Values(RangeCase{8, true}, RangeCase{2007663, true}, RangeCase{2007672, true},
                                           RangeCase{2045055, true}, RangeCase{2045064, true}, RangeCase{2097143, true},
                                           RangeCase{7, false}, RangeCase{2007664, false}, RangeCase{2007671, false},
                                           RangeCase{2045056, false}, RangeCase{2045063, false},
                                           RangeCase{2097144, false}));

TEST_F(AddressRules, ShortOutOfRangeTextWaitsUntilLeftThenIsReportedOnce) {
    model.userEdit("address1", "7");
    EXPECT_TRUE(host.events.empty());
    model.leave("address1");
    EXPECT_EQ(model.text("address1"), "0000007");
    EXPECT_EQ(host.events, (Events{"beep", rangeLine(1), "focus: address1"}));
}

TEST_F(AddressRules, RangeMessageNamesTheSlot) {
    model.userEdit("address8", "2097144");
    EXPECT_EQ(host.logLines, (Events{rangeLine(8).substr(5)}));
}

TEST_F(AddressRules, TypingIntoAddress1DragsAddress2IntoItsFrameAndCatchesTheDuplicate) {
    model.setText("address2", "2004008");
    host.clear();
    typeInto("address1", "200401");
    EXPECT_EQ(model.text("address2"), "2004009");
    EXPECT_TRUE(host.logLines.empty());

    model.typeKey("address1", '3');
    EXPECT_EQ(model.text("address1"), "2004013");
    EXPECT_EQ(model.text("frame1"), "5");
    EXPECT_EQ(model.text("address2"), "2004013");
    EXPECT_EQ(model.text("frame2"), "5");
    EXPECT_EQ(host.events, (Events{"beep", kSame, "focus: address2"}));

    host.clear();
    model.leave("address1");
    EXPECT_EQ(host.events, (Events{"beep", kSame, "focus: address1"}));
}

TEST_F(AddressRules, LeavingShortCapcodePadsItWithZeros) {
    model.userEdit("address1", "123");
    host.clear();
    model.leave("address1");
    EXPECT_EQ(model.text("address1"), "0000123");
    EXPECT_EQ(model.text("frame1"), "3");
    EXPECT_EQ(model.text("address2"), "2004011");
    EXPECT_TRUE(host.events.empty());
}

TEST_F(AddressRules, Address3DragsAddresses4To6) {
    model.userEdit("address3", "2004021");
    EXPECT_EQ(model.text("address4"), "2004029");
    EXPECT_EQ(model.text("address5"), "2004037");
    EXPECT_EQ(model.text("address6"), "2004045");
    EXPECT_EQ(model.text("frame6"), "5");
    EXPECT_EQ(model.text("address7"), "2004048") << "slot 7 has no partner";
}

struct FrameCase {
    int slot;
    std::string message;
};

class FramePairing : public AddressRules, public ::testing::WithParamInterface<FrameCase> {};

TEST_P(FramePairing, FollowerOutOfItsLeadersFrameIsReported) {
    const auto& [slot, message] = GetParam();
    const std::string field = "address" + std::to_string(slot);
    model.userEdit(field, "2004101");  // frame 5; the defaults all sit in frame 0
    host.clear();
    model.leave(field);
    // The model hands a rule's focus request to the window when the event ends, so it
    // arrives after the beep although the rule asks for it first.
    EXPECT_EQ(host.events, (Events{"log: " + message, "beep", "focus: " + field}));
    EXPECT_EQ(model.text(field), "2004101");
}

INSTANTIATE_TEST_SUITE_P(Followers, FramePairing,
                         ::testing::Values(FrameCase{2, "Address [2] frame must same as Address [1]"},
                                           FrameCase{4, "Address [4] frame must same as Address [3]"},
                                           FrameCase{5, "Address [5] frame must same as Address [3]"},
                                           FrameCase{6, "Address [6] frame must same as Address [3]"}));

TEST_F(AddressRules, EightAddressModeAcceptsAnyFrameAndChecksAllEightSlots) {
    ctx.program.hardwareRevision = Revision::TV8;
    model.userEdit("address1", "2004001");
    EXPECT_EQ(model.text("address2"), "2004008") << "no frame propagation";
    model.userEdit("address2", "2004013");
    model.leave("address2");
    EXPECT_EQ(model.text("frame2"), "5");
    EXPECT_TRUE(host.events.empty());

    model.userEdit("address7", "2004001");
    model.leave("address7");
    EXPECT_EQ(host.events, (Events{"beep", kSame, "focus: address7"}));
}

TEST_F(AddressRules, OutsideEightAddressModeSlots7And8AreNotCompared) {
    model.userEdit("address7", model.text("address1"));
    model.leave("address1");
    model.leave("address7");
    EXPECT_TRUE(host.events.empty());
}

TEST_F(AddressRules, DuplicateOnASwitchedOffSlotIsPaddedWithoutMessage) {
    model.userClick("addr2en");
    model.userEdit("address2", "2004000");  // the same as address1
    host.clear();
    model.leave("address2");
    EXPECT_TRUE(host.events.empty());
    // The enabled slot that repeats it is still blocked.
    model.leave("address1");
    EXPECT_EQ(host.events, (Events{"beep", kSame, "focus: address1"}));
}

TEST_F(AddressRules, RevisionIsReadAfreshOnEveryRun) {
    model.userEdit("address7", model.text("address1"));
    model.leave("address7");
    EXPECT_TRUE(host.events.empty());
    ctx.program.hardwareRevision = Revision::TV8;
    model.leave("address7");
    EXPECT_EQ(host.events, (Events{"beep", kSame, "focus: address7"}));
}

TEST_F(AddressRules, EmptyAddressShowsBlankFrameAndCannotBeCompared) {
    model.userEdit("address7", "");
    EXPECT_EQ(model.text("frame7"), " ");
    for (const char* left : {"address7", "address1"}) {
        try {
            model.leave(left);
            ADD_FAILURE() << "leaving " << left << " compared an empty capcode";
        } catch (const ConversionError& error) {
            EXPECT_STREQ(error.what(), "'' is not a valid integer value");
        }
    }
}

TEST_F(AddressRules, ConversionFailureInPropagationStopsTheRule) {
    model.userEdit("address2", "");
    EXPECT_THROW(model.userEdit("address1", "2004001"), ConversionError);
    EXPECT_EQ(model.text("frame1"), "1");
    EXPECT_EQ(model.text("address2"), "");
}

// The user leaves address 3 (switched off, so its own duplicate check is silent) while
// addresses 4 and 5 repeat each other: the propagated exits of 4, 5 and 6 all fail and
// all ask for the focus, but the window is asked once only.
TEST_F(AddressRules, FailingPartnersWhileLeavingAnotherFieldMoveTheFocusOnce) {
    model.userClick("addr3en");
    model.userEdit("address5", model.text("address4"));
    host.clear();
    model.leave("address3");
    EXPECT_EQ(host.focusRequests, (Events{"address4"}));
    EXPECT_EQ(host.logLines.size(), 3u);
    EXPECT_EQ(host.beeps, 3);
}

TEST_F(AddressRules, UncheckingAnEnableBoxSwitchesTheSlotAndClosesItsFolders) {
    model.userClick("addr3en");
    for (const char* field :
         {"address3", "frame3", "autoinc3", "msgtype3", "addr3formatA", "addr3formatD", "urgent3A", "urgent3D"}) {
        EXPECT_FALSE(model.enabled(field)) << field;
    }
    for (const char* suffix : {"8", "9", "A", "B"}) {
        EXPECT_FALSE(model.checked(std::string("pubboxact") + suffix)) << suffix;
        EXPECT_FALSE(model.enabled(std::string("pubboxact") + suffix)) << suffix;
        EXPECT_FALSE(model.enabled(std::string("pubbox") + suffix)) << suffix;
        EXPECT_FALSE(model.enabled(std::string("pubboxlength") + suffix)) << suffix;
    }
    EXPECT_TRUE(model.checked("pubboxact7"));
    EXPECT_TRUE(model.checked("pubboxactC"));

    model.userClick("addr3en");  // msgtype3 shows "Public"
    EXPECT_TRUE(model.enabled("address3"));
    for (const char* suffix : {"8", "9", "A", "B"}) {
        EXPECT_TRUE(model.enabled(std::string("pubboxact") + suffix)) << suffix;
        EXPECT_FALSE(model.checked(std::string("pubboxact") + suffix)) << "stays closed until checked again";
        EXPECT_FALSE(model.enabled(std::string("pubbox") + suffix));
    }
}

TEST_F(AddressRules, Slot7EnableBoxLeavesItsFixedMessageTypeAlone) {
    model.userClick("addr7en");
    model.userClick("addr7en");
    EXPECT_TRUE(model.enabled("address7"));
    EXPECT_FALSE(model.enabled("msgtype7"));
}

TEST_F(AddressRules, MessageTypeOfASwitchedOffSlotClosesTheGroupEvenWhenPublic) {
    model.userClick("addr2en");
    model.setIndex("msgtype2", 1);
    model.setEnabled("pubboxact4", true);
    model.fireChange("msgtype2");
    EXPECT_FALSE(model.enabled("pubboxact4"));
}

TEST_F(AddressRules, PickingPrivateClosesAndPublicReopensTheGroup) {
    model.userPick("msgtype4", 0);
    EXPECT_FALSE(model.checked("pubboxactC"));
    EXPECT_FALSE(model.enabled("pubboxlengthF"));
    model.userPick("msgtype4", 1);
    EXPECT_TRUE(model.enabled("pubboxactF"));
    model.userClick("pubboxactF");
    EXPECT_TRUE(model.enabled("pubboxlengthF"));
}

TEST_F(AddressRules, AutoincAcceptsZeroToEightAndBeepsOtherwise) {
    for (char key : std::string("012345678\b")) EXPECT_EQ(model.key("autoinc1", key), key);
    EXPECT_EQ(host.beeps, 0);
    for (char key : std::string("9a-")) EXPECT_EQ(model.key("autoinc1", key), std::nullopt);
    EXPECT_EQ(host.events, (Events{"beep", "beep", "beep"}));
}

TEST_F(AddressRules, AutoincCannotBeLeftEmpty) {
    model.leave("autoinc2");
    EXPECT_TRUE(host.events.empty());
    model.userEdit("autoinc2", "");
    model.leave("autoinc2");
    EXPECT_EQ(host.events, (Events{"focus: autoinc2"}));
}

}  // namespace
}  // namespace pagerprog
