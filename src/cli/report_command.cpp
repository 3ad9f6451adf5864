// report: the yield of production from the record's writes, by day, batch, bench,
// programmer or operator.
#include <iostream>

#include "app/production/yield_report.h"
#include "cli/exit_status.h"
#include "cli/record_reading.h"
#include "cli/unit_commands.h"

namespace pagerprog::cli {

int report(const Options& options, Console& console) {
    const auto units =
        findInRecord(options, console, {.since = options.since, .until = options.until, .operation = Operation::Write});
    std::cout << formatYieldReport(yieldReport(units, *reportGroupingFromName(options.by)),
                                   *recordFormatFromName(options.format));
    return exit_status::kOk;
}

}  // namespace pagerprog::cli
