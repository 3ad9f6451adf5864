// Every pager by name in the window: the "Unit serial" entry beside the pager commands, the
// operator, the production log's serial filter and "Summary", and "Compare pager with file...".
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include "app/production/production.h"
#include "gui/pager_audit_dialog.h"
#include "gui/production_log_dialog.h"
#include "window_fixture.h"

namespace pagerprog::gui::test {
namespace {

class SerialsWindowTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        ASSERT_TRUE(folder_.isValid());
        desktop_.recordAnswer = path("production.sqlite");
        chooseMenu(element::productionRecord);
    }

    std::string path(const char* name) const { return (folder_.path() + "/" + name).toStdString(); }

    void scan(const QString& serial) {
        QLineEdit& entry = window().unitSerial();
        entry.setFocus();
        entry.setText(serial);
        QTest::keyClick(&entry, Qt::Key_Return);
        settle();
    }

    std::vector<StoredUnit> writes() {
        return session().pagerCommands().production().record()->find({.operation = Operation::Write});
    }

    QTemporaryDir folder_;
};

TEST_F(SerialsWindowTest, EnterInTheSerialEntryWritesThePagerWithItsSerial) {
    desktop_.textAnswer = " Ann ";
    chooseMenu(element::productionOperator);
    EXPECT_EQ(QSettings().value("operator").toString(), "Ann") << "kept for the next start";
    model().setText("autoinc1", "1");

    scan("SN-0007");
    ASSERT_EQ(logCount("Verify OK !"), 1);
    EXPECT_EQ(window().unitSerial().text(), "") << "cleared for the next pager";
    scan(QString(65, 'x'));
    EXPECT_EQ(logCount("Not written: the serial is 65 characters long; at most 64 are taken."), 1);
    EXPECT_EQ(window().unitSerial().text(), QString(65, 'x')) << "kept to be mended";
    scan("SN-0007");
    EXPECT_EQ(logCount("Verify OK !"), 2);
    EXPECT_TRUE(logLines().filter("The serial SN-0007 is already in a pager (record row 1, ").size() == 1)
        << logLines().join('\n').toStdString();
    chooseMenu(element::writeToPager);  // F6 with the entry empty: no serial

    const auto rows = writes();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[2].unit.serial, "SN-0007");
    EXPECT_EQ(rows[1].unit.serial, "SN-0007");
    EXPECT_EQ(rows[0].unit.serial, "");
    EXPECT_EQ(rows[0].unit.operatorName, "Ann");
}

TEST_F(SerialsWindowTest, ProductionLogFiltersBySerialAndSummarisesTheYield) {
    model().setText("autoinc1", "1");
    for (const char* serial : {"A-1", "A-2", "A-3"}) scan(serial);
    chooseMenu(element::productionLog);
    ProductionLogDialog* log = session().productionLog();
    ASSERT_NE(log, nullptr);
    QTest::keyClicks(&log->serialFilter(), "A-2");
    ASSERT_EQ(log->table().rowCount(), 1);
    EXPECT_EQ(log->table().item(0, 5)->text(), "2") << "the second unit of the batch";

    log->tabs().setCurrentIndex(1);
    EXPECT_EQ(log->tabs().tabText(1), "Summary");
    QTableWidget& summary = log->summary();
    ASSERT_EQ(summary.rowCount(), 2) << "the day and all";
    EXPECT_EQ(summary.horizontalHeaderItem(4)->text(), "first-pass");
    EXPECT_EQ(summary.item(1, 0)->text(), "all");
    EXPECT_EQ(summary.item(1, 2)->text(), "3") << "verified";
    log->summaryBy().setCurrentText("batch");
    EXPECT_EQ(summary.horizontalHeaderItem(0)->text(), "batch");
    EXPECT_EQ(summary.item(0, 0)->text(), "1");
}

TEST_F(SerialsWindowTest, CompareNamesWhatThePagerHoldsOtherwiseThanTheFile) {
    chooseMenu(element::writeToPager);
    model().userPick("alerttype", 1);
    desktop_.saveAnswer = path("ordered.eep");
    chooseMenu(element::save);
    desktop_.openAnswer = path("ordered.eep");
    chooseMenu(element::comparePager);

    PagerAuditDialog* audit = session().pagerAudit();
    ASSERT_NE(audit, nullptr);
    EXPECT_TRUE(audit->isVisible());
    EXPECT_TRUE(audit->summary().text().startsWith("The pager differs from ordered.eep in 1 field."))
        << audit->summary().text().toStdString();
    EXPECT_EQ(audit->table().item(0, 0)->text(), "alerttype");
    EXPECT_EQ(audit->table().item(0, 1)->text(), "Vibrate");
    EXPECT_EQ(model().field("alerttype").text, audit->table().item(0, 2)->text().toStdString())
        << "the window shows the pager it read";
}

}  // namespace
}  // namespace pagerprog::gui::test
