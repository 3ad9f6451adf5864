#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "rules/folder_rules.h"
#include "rules/rules.h"
#include "settings/conversion.h"
#include "support/rules_fixture.h"

namespace pagerprog {
namespace {

using testing::RecordingHost;
using Events = std::vector<std::string>;

const std::string kTrim = "log: Out of total length 1024, trim down the length automatic";
const std::string kZero = "log: Length should large than ZERO";

std::string lengthField(int folder) { return field::pubboxlength(folder); }

class FolderRules : public testing::RulesFixture {
protected:
    // Every folder in use with the same length.
    void fillAllLengths(const std::string& length) {
        for (int folder = 0; folder < rules::kFolders; ++folder) model.userEdit(lengthField(folder), length);
    }
};

struct BudgetCase {
    std::string typed;  // into folder [7], the other 23 folders hold 40, maxprivate 60
    std::string left;   // the text after leaving it
    bool trimmed;
};

class FolderBudget : public FolderRules, public ::testing::WithParamInterface<BudgetCase> {};

TEST_P(FolderBudget, LengthBreakingTheBudgetIsTrimmedByTheExcess) {
    const auto& [typed, left, trimmed] = GetParam();
    fillAllLengths("40");
    ASSERT_EQ(model.text("maxprivate"), "60");
    model.userEdit(lengthField(6), typed);
    model.leave(lengthField(6));
    EXPECT_EQ(model.text(lengthField(6)), left);
    EXPECT_EQ(host.events, trimmed ? (Events{kTrim, "beep"}) : Events{});
}

INSTANTIATE_TEST_SUITE_P(Load1020Plus, FolderBudget,
                         ::testing::Values(BudgetCase{"40", "40", false}, BudgetCase{"44", "44", false},
                                           BudgetCase{"45", "44", true}, BudgetCase{"99", "44", true}));

TEST_F(FolderRules, UncheckedFoldersDoNotCount) {
    fillAllLengths("40");
    model.userClick("pubboxact0");
    model.setText(lengthField(0), "99");   // the field is disabled; only the program can still set it
    model.userEdit(lengthField(1), "84");  // 22 x 40 + 84 + 60 = 1024
    model.leave(lengthField(1));
    EXPECT_EQ(model.text(lengthField(1)), "84");
    EXPECT_TRUE(host.events.empty());
}

TEST_F(FolderRules, MaxPrivateTakesItsShareOfTheStore) {
    fillAllLengths("40");
    model.userEdit("maxprivate", "50");
    model.userEdit(lengthField(0), "54");
    model.leave(lengthField(0));
    EXPECT_EQ(model.text(lengthField(0)), "54");
    EXPECT_EQ(rules::folderExcess(ctx), 0);
    model.userEdit("maxprivate", "51");
    EXPECT_EQ(rules::folderExcess(ctx), 1);
}

TEST_F(FolderRules, ZeroLengthIsRefusedAndTheFocusStays) {
    for (const char* zero : {"0", "00"}) {
        host.clear();
        model.userEdit(lengthField(3), zero);
        model.leave(lengthField(3));
        EXPECT_EQ(host.events, (Events{kZero, "beep", "focus: pubboxlength3"})) << zero;
        EXPECT_EQ(model.text(lengthField(3)), zero);
    }
}

// The budget was broken by loaded settings: the folder left cannot absorb the whole
// excess and keeps a length of 1.
TEST_F(FolderRules, ExcessLargerThanTheLengthLeavesLengthOne) {
    fillAllLengths("99");  // load 24 x 99 + 60 = 2436
    model.userEdit(lengthField(23), "5");
    model.leave(lengthField(23));
    EXPECT_EQ(model.text(lengthField(23)), "1");
    EXPECT_EQ(host.events, (Events{kTrim, "beep"}));
}

TEST_F(FolderRules, ExcessEqualToTheLengthLeavesLengthOne) {
    fillAllLengths("40");
    model.userEdit(lengthField(1), "1");
    model.userEdit(lengthField(0), "84");  // 22 x 40 + 84 + 1 + 60 = 1025: excess 1, folder [2]'s length
    host.clear();
    model.leave(lengthField(1));
    EXPECT_EQ(model.text(lengthField(1)), "1");
    EXPECT_EQ(host.events, (Events{kTrim, "beep"}));
}

TEST_F(FolderRules, EmptyLengthsRaiseTheIntegerConversionError) {
    model.userEdit(lengthField(2), "");
    EXPECT_THROW(model.leave(lengthField(2)), ConversionError);

    model.userEdit(lengthField(5), "50");
    try {
        model.leave(lengthField(5));
        ADD_FAILURE() << "an empty length in use was added up";
    } catch (const ConversionError& error) {
        EXPECT_STREQ(error.what(), "'' is not a valid integer value");
    }
    EXPECT_EQ(model.text(lengthField(5)), "50");
}

TEST_F(FolderRules, FolderBoxSwitchesNameAndLengthKeepingValues) {
    model.userEdit(lengthField(9), "17");
    model.userClick("pubboxact9");
    EXPECT_FALSE(model.enabled("pubbox9"));
    EXPECT_FALSE(model.enabled("pubboxlength9"));
    model.userClick("pubboxact9");
    EXPECT_TRUE(model.enabled("pubbox9"));
    EXPECT_TRUE(model.enabled("pubboxlength9"));
    EXPECT_EQ(model.text("pubboxlength9"), "17");
    EXPECT_TRUE(host.events.empty()) << "the budget is not re-checked";
}

struct FillCase {
    std::string field;
    std::string typed;
    std::string left;
};

class BlankFill : public FolderRules, public ::testing::WithParamInterface<FillCase> {};

TEST_P(BlankFill, NamesAndHelloLinesAreFilledToTheirWidth) {
    const auto& [field, typed, left] = GetParam();
    model.userEdit(field, typed);
    model.leave(field);
    EXPECT_EQ(model.text(field), left);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, BlankFill,
    ::testing::Values(FillCase{"pubbox0", "ABC", "ABC      "}, FillCase{"pubboxN", "", "         "},
                      FillCase{"pubbox5", "FOLDER 05  ", "FOLDER 05  "}, FillCase{"pubbox5", "123456789", "123456789"},
                      FillCase{"hellomsg1", "", std::string(20, ' ')},
                      FillCase{"hellomsg2", "Hi", "Hi" + std::string(18, ' ')},
                      FillCase{"hellomsg1", "     - QTX73T -            ", "     - QTX73T -            "}));

TEST_F(FolderRules, LengthKeysAreDigitsOnly) {
    for (const char* field : {"pubboxlength0", "lcddrv_opa"}) {
        for (char key : std::string("0123456789\b")) EXPECT_EQ(model.key(field, key), key);
        EXPECT_EQ(model.key(field, 'x'), std::nullopt);
        EXPECT_EQ(model.key(field, ' '), std::nullopt);
    }
    EXPECT_EQ(host.events, (Events{"beep", "beep", "beep", "beep"}));
}

}  // namespace
}  // namespace pagerprog
