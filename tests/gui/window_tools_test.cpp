// The window's hardware helpers: "Bus trace..." in "&Tools" asks for a file and traces the
// following transfers into it until chosen again; "Acknowledge polling" in the port menu
// switches the page writes to polling. Both carry a check mark while on.
#include <QFile>
#include <QMenu>

#include "link/pager_link.h"
#include "window_fixture.h"

namespace pagerprog::gui::test {
namespace {

TEST_F(AdapterWindowTest, BusTraceAsksForAFileAndTracesUntilChosenAgain) {
    const std::string path = ::testing::TempDir() + "window-trace.vcd";
    desktop_.saveAnswer = path;
    chooseMenu(element::busTrace);
    ASSERT_EQ(desktop_.saveDialogs.size(), 1u);
    EXPECT_EQ(desktop_.saveDialogs[0].defaultExtension, "vcd");
    EXPECT_TRUE(window().menuAction(element::busTrace)->isChecked());
    EXPECT_EQ(logCount(QString::fromStdString("Bus trace to " + path)), 1);

    chooseMenu(element::readFromPager);
    QFile trace(QString::fromStdString(path));
    ASSERT_TRUE(trace.open(QIODevice::ReadOnly));
    const QByteArray text = trace.readAll();
    EXPECT_TRUE(text.contains("$var wire 1 ! SCL $end"));
    EXPECT_TRUE(text.contains("$var wire 1 # SDA $end"));

    chooseMenu(element::busTrace);
    EXPECT_FALSE(window().menuAction(element::busTrace)->isChecked());
    EXPECT_EQ(session().link().link().trace(), nullptr);
    EXPECT_EQ(desktop_.saveDialogs.size(), 1u) << "ending a trace asks nothing";
    QFile::remove(QString::fromStdString(path));
}

TEST_F(AdapterWindowTest, CancelledTraceDialogLeavesTheItemUnchecked) {
    chooseMenu(element::busTrace);
    EXPECT_FALSE(window().menuAction(element::busTrace)->isChecked());
    EXPECT_EQ(session().link().link().trace(), nullptr);
}

TEST_F(AdapterWindowTest, AcknowledgePollingItemSwitchesThePageWrites) {
    BusTiming& timing = session().link().link().timing();
    chooseMenu(element::ackPolling);
    EXPECT_TRUE(timing.acknowledgePolling);
    EXPECT_TRUE(window().menuAction(element::ackPolling)->isChecked());
    chooseMenu(element::ackPolling);
    EXPECT_FALSE(timing.acknowledgePolling);
    EXPECT_FALSE(window().menuAction(element::ackPolling)->isChecked());
}

}  // namespace
}  // namespace pagerprog::gui::test
