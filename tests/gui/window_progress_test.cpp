// The progress window during a write: its pass in words, the bytes of the pass and their
// share, one overall bar across read-back, write and verify; and Cancel, taken up only
// between passes, with a status-log line saying what the pager holds.
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QTest>
#include <algorithm>
#include <functional>

#include "link/sim/simulated_devices.h"
#include "window_fixture.h"

namespace pagerprog::gui::test {
namespace {

// What the progress window showed each time it painted its overall bar.
struct Shown {
    QString phase;
    QString bytes;
    int overall;
};

class ProgressRecorder : public QObject {
public:
    explicit ProgressRecorder(TState_Form& form) : form_(form) {
        form.findChild<QWidget*>("OverallBar")->installEventFilter(this);
        form.installEventFilter(this);
    }

    std::vector<Shown> shown;
    // Runs when the window's caption changes, with the new caption.
    std::function<void(const QString&)> onCaption;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &form_ && event->type() == QEvent::WindowTitleChange && onCaption)
            onCaption(form_.windowTitle());
        if (watched != &form_ && event->type() == QEvent::Paint)
            shown.push_back({form_.phaseText(), form_.bytesText(), form_.overallBar().value()});
        return false;
    }

private:
    TState_Form& form_;
};

// The adapter is slow enough for the window to paint many times in each pass.
class ProgressTest : public AdapterWindowTest {
protected:
    TState_Form& form() { return window().progressWindow(); }
    QPushButton* cancelButton() { return form().findChild<QPushButton*>("CancelButton"); }
    const Image& pager() { return session().link().simulated()->pager.memory; }
};

TEST_F(ProgressTest, WriteShowsEachPassInWordsWithBytesAndOneOverallBar) {
    ProgressRecorder recorder(form());
    chooseMenu(element::writeToPager);
    ASSERT_EQ(logCount("Verify OK !"), 1);
    QStringList phases;
    for (const Shown& s : recorder.shown) {
        if (phases.isEmpty() || phases.back() != s.phase) phases << s.phase;
    }
    EXPECT_EQ(phases,
              QStringList({"Writing data to Pager, please wait...", "Read back hardware setting, please wait...",
                           "Writing data to Pager, please wait...", "Verify data from pager, please wait..."}));
    const bool sawPartOfAPass = std::any_of(recorder.shown.begin(), recorder.shown.end(), [](const Shown& s) {
        return s.bytes.contains(QRegularExpression("^[1-9][0-9]* of 2048 bytes \\([1-9][0-9]?%\\)$"));
    });
    EXPECT_TRUE(sawPartOfAPass);
    // The overall bar never goes back, and is near its end in the verify pass.
    for (std::size_t i = 1; i < recorder.shown.size(); ++i)
        EXPECT_GE(recorder.shown[i].overall, recorder.shown[i - 1].overall) << i;
    ASSERT_FALSE(recorder.shown.empty());
    EXPECT_GT(recorder.shown.back().overall, form().overallBar().maximum() * 9 / 10);
    EXPECT_FALSE(form().isVisible());
}

TEST_F(ProgressTest, CancelDuringTheReadBackLeavesThePagerUnchanged) {
    const Image before = pager();
    const std::string address = model().text("address1");
    ProgressRecorder recorder(form());
    recorder.onCaption = [this](const QString& caption) {
        if (caption == "Read back hardware setting, please wait...") QTest::mouseClick(cancelButton(), Qt::LeftButton);
    };
    chooseMenu(element::writeToPager);
    EXPECT_EQ(logCount("Cancelled before the write: the pager is unchanged."), 1);
    EXPECT_EQ(logCount("Write to Pager..."), 0);
    EXPECT_EQ(pager(), before);
    EXPECT_EQ(model().text("address1"), address);
    EXPECT_FALSE(form().isVisible());
}

TEST_F(ProgressTest, CancelDuringTheWriteStopsBeforeTheVerifyAndHoldsInputBack) {
    const std::string address = model().text("address1");
    auto* folderName = editor<QLineEdit>("pubbox5");
    const QString folderText = folderName->text();
    ProgressRecorder recorder(form());
    recorder.onCaption = [&](const QString& caption) {
        if (caption != "Writing data to Pager, please wait..." || !cancelButton()->isVisible()) return;
        QTest::mouseClick(cancelButton(), Qt::LeftButton);
        // Keys meant for the main window wait out the transfer: none reaches a field.
        QTest::keyClicks(folderName, "XYZ");
    };
    chooseMenu(element::writeToPager);
    EXPECT_EQ(logCount("Write to Pager..."), 1);
    EXPECT_EQ(logCount("Cancelled after the write: the pager holds the new settings, not verified."), 1);
    EXPECT_EQ(logCount("Verify OK !"), 0);
    EXPECT_EQ(pager(), session().app().program().image);
    EXPECT_EQ(model().text("address1"), address);  // capcodes step on only after a verified write
    EXPECT_EQ(folderName->text(), folderText);
}

// Shown anew for each write, over the middle of the main window and on the screen. A real
// window manager (the run of this test under one) placed it in the screen's corner, its
// title bar off the screen, from the second write on.
TEST_F(WindowTest, ProgressWindowShownOverTheMainWindowAtEveryWrite) {
    TState_Form& form = window().progressWindow();
    std::vector<QRect> frames;
    ProgressRecorder recorder(form);
    recorder.onCaption = [&](const QString&) {
        if (form.isVisible()) frames.push_back(form.frameGeometry());
    };
    for (int write = 1; write <= 3; ++write) {
        chooseMenu(element::writeToPager);
        ASSERT_EQ(logCount("Verify OK !"), write);
    }
    ASSERT_GE(frames.size(), 9u);
    const QRect screen = window().screen()->availableGeometry();
    const QPoint middle = window().frameGeometry().center();
    for (std::size_t i = 0; i < frames.size(); ++i) {
        EXPECT_TRUE(screen.contains(frames[i])) << i;
        EXPECT_LE((frames[i].center() - middle).manhattanLength(), 40) << i;
    }
}

TEST_F(ProgressTest, AReadHasNoPointToStopAt) {
    bool cancelShown = true;
    ProgressRecorder recorder(form());
    recorder.onCaption = [&](const QString& caption) {
        if (caption == "Reading data from Pager, please wait...") cancelShown = cancelButton()->isVisible();
    };
    chooseMenu(element::readFromPager);
    EXPECT_EQ(logCount("Read completed"), 1);
    EXPECT_FALSE(cancelShown);
}

}  // namespace
}  // namespace pagerprog::gui::test
