// Reading and writing the simulated pager from the menus, with the progress window, and
// the programmer coming and going.
#include <QProgressBar>
#include <QTest>

#include "link/sim/simulated_devices.h"
#include "window_fixture.h"

namespace pagerprog::gui::test {
namespace {

// Watches the progress window: how often it was shown, and the bar positions painted
// while it was up.
class ProgressWatch : public QObject {
public:
    explicit ProgressWatch(TState_Form& form) : form_(form) {
        form.installEventFilter(this);
        form.findChild<QProgressBar*>("ProgressBar1")->installEventFilter(this);
    }

    int shown = 0;
    std::vector<int> paintedPositions;
    QStringList captions;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &form_ && event->type() == QEvent::Show) ++shown;
        if (watched == &form_ && event->type() == QEvent::WindowTitleChange) captions << form_.windowTitle();
        if (watched != &form_ && event->type() == QEvent::Paint) paintedPositions.push_back(form_.bar().value());
        return false;
    }

private:
    TState_Form& form_;
};

TEST_F(WindowTest, WriteShowsTheProgressWindowAndVerifiesThePager) {
    ProgressWatch watch(window().progressWindow());
    chooseMenu(element::writeToPager);
    EXPECT_EQ(logCount("Write to Pager..."), 1);
    EXPECT_EQ(logCount("Verify OK !"), 1);
    EXPECT_GE(watch.shown, 1);
    EXPECT_TRUE(watch.captions.contains("Writing data to Pager, please wait..."));
    EXPECT_FALSE(window().progressWindow().isVisible());
    EXPECT_EQ(window().progressWindow().bar().maximum(), 2048);
    EXPECT_EQ(session().link().simulated()->pager.memory, session().app().program().image);
}

TEST_F(WindowTest, ReadBringsThePagersSettingsIntoTheWindow) {
    chooseMenu(element::writeToPager);
    ASSERT_EQ(logCount("Verify OK !"), 1);
    const QString written = editor<QLineEdit>("pubbox5")->text();
    typeOver("pubbox5", "CHANGED");
    ProgressWatch watch(window().progressWindow());
    chooseMenu(element::readFromPager);
    EXPECT_EQ(logCount("Read data from pager"), 1);
    EXPECT_EQ(logCount("Read completed"), 1);
    EXPECT_EQ(watch.shown, 1);
    EXPECT_TRUE(watch.captions.contains("Reading data from Pager, please wait..."));
    EXPECT_FALSE(window().progressWindow().isVisible());
    EXPECT_EQ(editor<QLineEdit>("pubbox5")->text(), written);
}

TEST_F(WindowTest, UnplugAndReplugChangeTheMenus) {
    SimulatedUsbProgrammer& programmer = session().link().simulated()->programmer;
    programmer.unplug();
    ASSERT_TRUE(waitFor([this] { return logCount("USB port unplug.") == 1; }));
    EXPECT_FALSE(window().menuAction(element::writeToPager)->isEnabled());
    EXPECT_FALSE(window().menuAction(element::readFromPager)->isEnabled());
    EXPECT_TRUE(model().element(element::groupSpeed).visible);
    EXPECT_FALSE(window().menuAction(element::menuParallelPort)->isEnabled());

    programmer.plug();
    ASSERT_TRUE(waitFor([this] { return logCount("USB port is ready.") == 2; }));
    EXPECT_TRUE(window().menuAction(element::writeToPager)->isEnabled());
    EXPECT_TRUE(window().menuAction(element::readFromPager)->isEnabled());
    EXPECT_FALSE(model().element(element::groupSpeed).visible);
    EXPECT_FALSE(window().menuAction(element::menuParallelPort)->isEnabled());
}

TEST_F(WindowTest, ProgrammerErrorLetterIsShownInAMessageBox) {
    session().link().simulated()->programmer.errorLetterAtChunk = 3;
    session().link().simulated()->programmer.errorLetter = 'C';
    chooseMenu(element::readFromPager);
    ASSERT_EQ(desktop_.messages.size(), 1u);
    EXPECT_EQ(desktop_.messages[0], "CRC error!");
    EXPECT_FALSE(window().progressWindow().isVisible());
}

TEST_F(WindowTest, ExitShutsThePortAccessDownAndClosesTheWindow) {
    const int before = session().link().simulated()->port.shutDowns;
    chooseMenu(element::exit);
    EXPECT_EQ(session().link().simulated()->port.shutDowns, before + 1);
    EXPECT_FALSE(window().isVisible());
}

TEST_F(WindowTest, ClosingTheWindowOtherwiseLeavesThePortAlone) {
    const int before = session().link().simulated()->port.shutDowns;
    window().close();
    EXPECT_EQ(session().link().simulated()->port.shutDowns, before);
    EXPECT_FALSE(window().isVisible());
}

// The adapter is driven bit by bit, slowly enough for the bar to be seen moving.
TEST_F(AdapterWindowTest, ProgressBarRepaintsWhileTheTransferRuns) {
    ProgressWatch watch(window().progressWindow());
    chooseMenu(element::readFromPager);
    ASSERT_EQ(logCount("Read completed"), 1);
    const bool movedWhileShown = std::any_of(watch.paintedPositions.begin(), watch.paintedPositions.end(),
                                             [](int position) { return position > 1 && position < 2048; });
    EXPECT_TRUE(movedWhileShown);
}

}  // namespace
}  // namespace pagerprog::gui::test
