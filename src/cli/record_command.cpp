#include "cli/record_command.h"

#include <iostream>

#include "app/record/data_home.h"
#include "app/record/production_record.h"
#include "app/record/server_schema.h"
#include "app/record/spool.h"
#include "cli/exit_status.h"
#include "cli/record_reading.h"
#include "cli/usage_error.h"
#include "host/plural.h"

namespace pagerprog::cli {

using namespace exit_status;

namespace {

RecordLocation serverLocation(const Options& options) {
    RecordLocation location = recordLocation(options);
    if (!location.onServer())
        throw UsageError("record " + options.action +
                         " works on a record on a server: give --db postgresql://host/dbname or set PAGERPROG_DB");
    return location;
}

int setup(const Options& options) {
    if (options.printSql) {
        std::cout << serverRecordSql();
        return kOk;
    }
    std::cout << setUpServerRecord(serverLocation(options)) << std::endl;
    return kOk;
}

int copy(const Options& options, Console& console) {
    const RecordLocation from = RecordLocation::parse(options.from);
    if (!from.onServer() && !std::filesystem::exists(from.path()))
        throw std::runtime_error("there is no production record at " + from.shown());
    const ProductionRecord source(from, {.readOnly = true});
    ProductionRecord record(recordLocation(options));
    const std::int64_t copied = record.copyFrom(source, [&](std::int64_t looked) {
        console.status(std::to_string(looked) + " units of " + from.shown() + " looked at");
    });
    std::cout << "copied " << plural(copied, "unit") << " from " << from.shown() << " into "
              << record.location().shown() << std::endl;
    return kOk;
}

int sync(const Options& options) {
    const RecordLocation location = serverLocation(options);
    const Spool spool(defaultSpoolPath());
    ProductionRecord record(location);
    const int pushed = spool.pushTo(record);
    std::cout << "pushed " << plural(pushed, "unit") << " from the spool " << spool.path().string() << " to "
              << location.shown() << std::endl;
    return kOk;
}

// What is known without the record first, so that a record that cannot be opened still
// shows its spool.
int status(const Options& options) {
    const RecordLocation location = recordLocation(options);
    std::cout << "record: " << location.shown() << (location.onServer() ? " (server)" : " (file)") << '\n';
    if (location.onServer()) {
        const Spool spool(defaultSpoolPath());
        std::cout << "spool: " << spool.path().string() << ", " << plural(spool.count(location.shown()), "unit")
                  << " waiting\n";
    }
    std::cout << std::flush;
    const ProductionRecord record(location, {.readOnly = true});
    std::cout << "schema: " << record.schemaVersion() << '\n'
              << "units: " << record.unitCount() << '\n'
              << "allocated without a result: " << record.allocatedUnits().size() << std::endl;
    return kOk;
}

}  // namespace

int recordCommand(const Options& options, Console& console) {
    if (options.action == "setup") return setup(options);
    if (options.action == "copy") return copy(options, console);
    if (options.action == "sync") return sync(options);
    return status(options);
}

// A unit a bench holds but will not program (its bench is gone for good) goes back to the
// batch for the next pager; one that a program on this computer is programming does not.
int batchCommand(const Options& options, Console& console) {
    ProductionRecord record(recordLocation(options));
    const std::int64_t batch = *options.batch;
    const std::string unit = "unit " + std::to_string(options.unit) + " of batch " + std::to_string(batch);
    for (const AllocatedUnit& held : record.allocatedUnits(batch)) {
        if (held.unit == options.unit && held.host == currentHostName() && processRuns(held.pid)) {
            console.error("refused: " + unit + " is being programmed by process " + std::to_string(*held.pid) +
                          " on this computer");
            return kRefused;
        }
    }
    const auto held = record.releaseUnit(batch, options.unit);
    if (!held) {
        console.error("refused: " + unit + " is allocated to no bench");
        return kRefused;
    }
    std::cout << unit << " given back; it was allocated to " << held->host
              << (held->pid ? " (process " + std::to_string(*held->pid) + ")" : "") << " since " << held->time
              << std::endl;
    return kOk;
}

}  // namespace pagerprog::cli
