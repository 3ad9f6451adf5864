// The technician's typing, leaving, picking and clicking reach the rules as the events
// they expect; the rules' focus requests are applied without loops.
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QTest>

#include "window_fixture.h"

namespace pagerprog::gui::test {
namespace {

constexpr const char* kDigitsOnly = "Number 0-9 and backspace only";

TEST_F(AdapterWindowTest, TypingAddress1TakesDigitsOnlyAndDragsAddress2IntoItsFrame) {
    // The six-address layout keeps addresses 1 and 2 in one frame.
    chooseMenu(element::switchModel);
    ASSERT_EQ(session().app().program().hardwareRevision, Revision::TV7r2);
    typeOver("address1", "2004a001");
    EXPECT_EQ(editor<QLineEdit>("address1")->text(), "2004001");
    EXPECT_EQ(model().text("address1"), "2004001");
    EXPECT_EQ(logCount(kDigitsOnly), 1);
    EXPECT_EQ(editor<QLineEdit>("frame1")->text(), "1");
    EXPECT_EQ(editor<QLineEdit>("address2")->text(), "2004009");
    EXPECT_EQ(editor<QLineEdit>("frame2")->text(), "1");
}

TEST_F(WindowTest, LeavingARefusedAddressKeepsTheFocusThereAndLogsOnce) {
    typeOver("address2", "2004000");  // the capcode of address 1
    // Clicking into address 3, which holds a capcode of its own: address 2 refuses its
    // value and takes the focus back; address 3 must not answer with an exit of its own.
    clickInto(window().fieldEditor("address3"));
    QTest::qWait(200);
    EXPECT_EQ(QApplication::focusWidget(), window().fieldEditor("address2"));
    EXPECT_EQ(logCount("Same capcode address not allowed "), 1);
    EXPECT_EQ(editor<QLineEdit>("address2")->selectedText(), "2004000");
}

TEST_F(WindowTest, TwoFieldsRefusingTheSameCapcodeDoNotPullTheFocusBackAndForth) {
    typeOver("address3", "2004000");
    // Address 3 refuses on leaving; when the focus comes back from address 1, address 1
    // (equal to address 3) is left by the program, not by the technician.
    clickInto(window().fieldEditor("address1"));
    QTest::qWait(300);
    EXPECT_EQ(QApplication::focusWidget(), window().fieldEditor("address3"));
    EXPECT_EQ(logCount("Same capcode address not allowed "), 1);
}

TEST_F(WindowTest, KeyRefusedByTheTonePatternFilterIsLoggedAndDropped) {
    typeOver("tonepatternA", "g");
    EXPECT_EQ(logCount("Number 0-9,A-F and backspace only"), 1);
    EXPECT_EQ(editor<QLineEdit>("tonepatternA")->text(), "FFFC");
    EXPECT_EQ(model().text("tonepatternA"), "FFFC");
    typeOver("tonepatternA", "A1");
    EXPECT_EQ(model().text("tonepatternA"), "A1");
    EXPECT_EQ(logCount("Number 0-9,A-F and backspace only"), 1);
}

TEST_F(WindowTest, TypingStopsAtTheFieldsLimit) {
    typeOver("tonepatternB", "12345");
    EXPECT_EQ(editor<QLineEdit>("tonepatternB")->text(), "1234");
    EXPECT_EQ(model().text("tonepatternB"), "1234");
}

TEST_F(WindowTest, FrequencyFilterPutsTheSeparatorAfterTheThirdDigit) {
    typeOver("frequency", "14655000");
    EXPECT_EQ(editor<QLineEdit>("frequency")->text(), "146.55000");
    EXPECT_EQ(model().text("frequency"), "146.55000");
    QTest::keyClick(window().fieldEditor("frequency"), '7');
    EXPECT_EQ(model().text("frequency"), "146.55000");
}

TEST_F(WindowTest, PastedTextIsTypedThroughTheKeyFilter) {
    QApplication::clipboard()->setText("12x34");
    auto* edit = editor<QLineEdit>("handprogpws");
    clickInto(edit);
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(model().text("handprogpws"), "1234");
    EXPECT_EQ(edit->text(), "1234");
    EXPECT_EQ(logCount(kDigitsOnly), 1);
}

TEST_F(WindowTest, ComboPickRunsItsRuleWhileAComboSetByCodeDoesNot) {
    auto* msgtype2 = editor<QComboBox>("msgtype2");
    ASSERT_EQ(msgtype2->currentText(), "Public");
    EXPECT_TRUE(window().fieldEditor("pubboxact4")->isEnabled());
    // The technician picks "Private": the folders of slot 2 close.
    msgtype2->setFocus(Qt::TabFocusReason);
    QTest::keyClick(msgtype2, Qt::Key_Up);
    EXPECT_EQ(model().index("msgtype2"), 0);
    EXPECT_FALSE(window().fieldEditor("pubboxact4")->isEnabled());
    EXPECT_FALSE(window().fieldEditor("pubbox7")->isEnabled());
    // Set by the program, the choice shows its item and runs nothing.
    model().setIndex("msgtype2", 1);
    EXPECT_EQ(msgtype2->currentText(), "Public");
    EXPECT_FALSE(window().fieldEditor("pubboxact4")->isEnabled());
}

TEST_F(WindowTest, ChoiceWithoutTypingIgnoresLetters) {
    auto* alerttype = editor<QComboBox>("alerttype");
    const int before = alerttype->currentIndex();
    window().tabs().setCurrentIndex(1);
    alerttype->setFocus(Qt::TabFocusReason);
    QTest::keyClick(alerttype, 'T');
    EXPECT_EQ(alerttype->currentIndex(), before);
    EXPECT_EQ(model().index("alerttype"), before);
}

TEST_F(WindowTest, CheckBoxClickRunsItsClickRule) {
    auto* alarm = editor<QCheckBox>("alarm");
    ASSERT_FALSE(alarm->isChecked());
    EXPECT_FALSE(window().fieldEditor("alarmhour")->isEnabled());
    window().tabs().setCurrentIndex(1);
    alarm->setFocus(Qt::TabFocusReason);
    QTest::keyClick(alarm, Qt::Key_Space);
    EXPECT_TRUE(model().checked("alarm"));
    EXPECT_TRUE(alarm->isChecked());
    EXPECT_TRUE(window().fieldEditor("alarmhour")->isEnabled());
}

TEST_F(WindowTest, ErrorEscapingAnExitRuleIsShownAndTheWindowGoesOn) {
    auto* address1 = editor<QLineEdit>("address1");
    clickInto(address1);
    address1->selectAll();
    QTest::keyClick(address1, Qt::Key_Backspace);
    EXPECT_EQ(model().text("address1"), "");
    QTest::keyClick(address1, Qt::Key_Tab);
    settle();
    ASSERT_EQ(desktop_.messages.size(), 1u);
    EXPECT_EQ(desktop_.messages[0], "'' is not a valid integer value");
    chooseMenu(element::about);
    EXPECT_EQ(logCount("73TV8 USB CapCode Programmer Windows version V7.6"), 2);
}

}  // namespace
}  // namespace pagerprog::gui::test
