// The yield report's figures from writes laid out as a shop floor leaves them: a pager that
// failed and verified on its second write, one that never verified, writes still under way,
// restores and reads that are no production.
#include <gtest/gtest.h>

#include "app/production/yield_report.h"

namespace pagerprog {
namespace {

StoredUnit write(std::int64_t id, const char* time, const char* outcome, std::int64_t ms, std::int64_t batch, int unit,
                 const char* serial, const char* operatorName = "") {
    StoredUnit s;
    s.id = id;
    s.unit.time = time;
    s.unit.outcome = outcome;
    s.unit.durationMs = ms;
    s.unit.batchId = batch;
    s.unit.unitNumber = unit;
    s.unit.serial = serial;
    s.unit.operatorName = operatorName;
    s.unit.user = "tech";
    s.unit.host = "bench1";
    return s;
}

std::vector<StoredUnit> shopFloor() {
    std::vector<StoredUnit> units{
        write(1, "2026-12-08T08:00:00.000Z", "ok", 1000, 1, 1, "S1", "Ann"),
        write(2, "2026-12-08T08:00:10.000Z", "verify-failed", 2000, 1, 2, "S2", "Ann"),
        write(3, "2026-12-08T08:00:20.000Z", "ok", 3000, 1, 2, "S2", "Ann"),
        write(4, "2026-12-08T08:00:30.000Z", "no-device", 500, 1, 3, "", "Ann"),
        write(5, "2026-12-08T08:00:40.000Z", "in-progress", 0, 1, 4, "S4", "Ann"),
        write(6, "2026-12-09T08:00:00.000Z", "ok", 2000, 2, 1, "S5"),
    };
    StoredUnit restore = write(7, "2026-12-09T09:00:00.000Z", "ok", 9000, 0, 0, "S1");
    restore.unit.operation = Operation::Restore;
    units.push_back(restore);
    return units;
}

TEST(YieldReport, FiguresOfPagersAndTheirWrites) {
    const YieldReport report = yieldReport(shopFloor(), ReportGrouping::Operator);
    const YieldFigures& all = report.total;
    EXPECT_EQ(all.attempted, 4) << "S1, S2, batch 1 unit 3, S5";
    EXPECT_EQ(all.verified, 3);
    EXPECT_EQ(all.firstPass, 2) << "S2 verified at its second write";
    EXPECT_DOUBLE_EQ(*all.firstPassYield(), 0.5);
    EXPECT_EQ(all.failedWrites, 2);
    EXPECT_EQ(all.failures, (std::map<std::string, int>{{"no-device", 1}, {"verify-failed", 1}}));
    EXPECT_DOUBLE_EQ(*all.meanSeconds, 2.0) << "1, 3 and 2 seconds";
    EXPECT_DOUBLE_EQ(*all.p95Seconds, 3.0);
    // Batch 1 ran from 08:00:00 to 08:00:30.5, batch 2 for its one write of 2 s.
    EXPECT_NEAR(*all.pagersPerHour, 3 * 3600 / 32.5, 1e-9);

    ASSERT_EQ(report.groups.size(), 2u);
    EXPECT_EQ(report.groups[0].group, "Ann");
    EXPECT_EQ(report.groups[1].group, "tech") << "no operator named: the account";
    EXPECT_EQ(report.groups[1].verified, 1);
    EXPECT_EQ(yieldTable(report).back(), (std::vector<std::string>{"all", "4", "3", "2", "50.0%", "2.0", "3.0", "332.3",
                                                                   "no-device=1, verify-failed=1"}));
}

TEST(YieldReport, GroupsInTheirOrderAndEveryForm) {
    std::vector<StoredUnit> units = shopFloor();
    units.push_back(write(8, "2026-12-09T10:00:00.000Z", "ok", 1000, 10, 1, "S6"));
    std::vector<std::string> batches;
    for (const YieldFigures& f : yieldReport(units, ReportGrouping::Batch).groups) batches.push_back(f.group);
    EXPECT_EQ(batches, (std::vector<std::string>{"1", "2", "10"})) << "batches in number order";
    const YieldReport byBench = yieldReport(units, ReportGrouping::Bench);
    EXPECT_EQ(formatYieldReport(byBench, RecordFormat::Csv),
              "bench,attempted,verified,failed,first_pass_yield,mean_seconds,p95_seconds,pagers_per_hour,failures\r\n"
              "bench1,5,4,2,0.600,1.8,3.0,429.9,no-device=1 verify-failed=1\r\n"
              "all,5,4,2,0.600,1.8,3.0,429.9,no-device=1 verify-failed=1\r\n");
    EXPECT_NE(formatYieldReport(byBench, RecordFormat::Json).find("\"by\": \"bench\""), std::string::npos);
    EXPECT_EQ(yieldReport({}, ReportGrouping::Day).total.firstPassYield(), std::nullopt);
}

}  // namespace
}  // namespace pagerprog
