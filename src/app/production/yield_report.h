// The yield of production, from the writes the record keeps: for each day, batch, bench,
// programmer or operator, the pagers attempted and verified, the failed writes by outcome,
// the first-pass yield, the time a verified pager took and how many were made an hour.
//
// A pager is known by its serial, else by its batch and unit, else by its row alone. A
// pager is verified when one of its writes verified, and first-pass when its first write
// of the group did. Its time is that of its verified write (the record's duration, read-back
// to verify). Pagers an hour are the verified pagers over the hours worked: for each batch
// of the group, from its first write to the end of its last. The day is the local one;
// the bench is the computer's host name; the programmer is the programmer's own serial where
// it has one, else the host and the port; the operator is the name given, else the account.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/record/record_format.h"
#include "app/record/record_types.h"

namespace pagerprog {

enum class ReportGrouping { Day, Batch, Bench, Programmer, Operator };

// "day", "batch", "bench", "programmer", "operator".
std::optional<ReportGrouping> reportGroupingFromName(std::string_view name);
std::string_view reportGroupingName(ReportGrouping grouping);

struct YieldFigures {
    std::string group;  // the day, batch, bench, programmer or operator; "all" for the total
    int attempted = 0;  // pagers
    int verified = 0;   // pagers
    int firstPass = 0;  // pagers verified at their first write
    int failedWrites = 0;
    std::map<std::string, int> failures;  // the writes that did not verify, by outcome
    std::optional<double> meanSeconds, p95Seconds;
    std::optional<double> pagersPerHour;
    std::optional<double> firstPassYield() const;  // of the pagers attempted, 0 to 1
};

struct YieldReport {
    ReportGrouping by = ReportGrouping::Day;
    std::vector<YieldFigures> groups;  // days and batches in order, the others by name
    YieldFigures total;
};

// The writes among `units`, in any order; reads, verifies, restores and writes still
// under way are left out.
YieldReport yieldReport(const std::vector<StoredUnit>& units, ReportGrouping by);

// The table's cells, the header first, a line a group and the total last: the window's
// summary shows the same.
std::vector<std::vector<std::string>> yieldTable(const YieldReport& report);
// Table: aligned columns. CSV: the same columns, the yield as a fraction and the failures
// as OUTCOME=COUNT words. JSON: an object with "by", "groups" and "total".
std::string formatYieldReport(const YieldReport& report, RecordFormat format);

}  // namespace pagerprog
