#include "cli/pager_command.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <nlohmann/json.hpp>

#include "app/pager/difference_summary.h"
#include "app/pager/pager_workflows.h"
#include "app/production/production.h"
#include "app/record/record_format.h"
#include "app/record/record_time.h"
#include "cli/exit_status.h"
#include "cli/record_reading.h"
#include "cli/settings_commands.h"

namespace pagerprog::cli {

using namespace exit_status;

int read(Session& session, const Options& options) {
    if (!session.readPager()) return of(session.lastOutcome());
    return session.save(options.out) ? kOk : kRefused;
}

namespace {

// One summary line (the status log names the first addresses); JSON has them all.
void printDifferences(const std::vector<ByteDifference>& differences, Layout layout, bool json) {
    if (!json) {
        if (!differences.empty()) std::printf("%s\n", differenceSummary(differences, layout).c_str());
        return;
    }
    const Json answer = {{"differences", differencesJson(differences)}};
    std::printf("%s\n", jsonLine(answer, JsonSpacing::Spaced).c_str());
}

// The terminal's width when the results go to one; none for a file or a pipe.
std::optional<std::size_t> terminalWidth() {
    winsize size{};
    if (!isatty(STDOUT_FILENO) || ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) != 0 || size.ws_col == 0) return std::nullopt;
    return size.ws_col;
}

}  // namespace

int verify(Session& session, const Options& options) {
    if (!session.open(options.files[0]) || !applyEdits(session, options.edits)) return kRefused;
    session.verifyPager();
    const PagerOutcome outcome = session.lastOutcome();
    if (outcome == PagerOutcome::Done || outcome == PagerOutcome::VerifyFailed)
        printDifferences(session.workflows().lastDifferences(), layoutOf(session.app().program().hardwareRevision),
                         options.json);
    std::fflush(stdout);
    return of(outcome);
}

// A pager named by its serial is restored from its most recent write.
int restore(Session& session, const Options& options) {
    ProductionRecord& record = *session.production().record();
    std::optional<StoredUnit> source;
    if (options.serial) {
        const auto writes = record.find({.serial = options.serial, .operation = Operation::Write, .limit = 1});
        if (writes.empty()) {
            session.console().error("refused: the production record has no write of serial " + *options.serial);
            return kRefused;
        }
        source = writes.front();
    } else {
        source = record.unit(options.row);
    }
    if (!source) {
        session.console().error("refused: the production record has no row " + std::to_string(options.row));
        return kRefused;
    }
    const std::string row = std::to_string(source->id);
    const auto image = record.previousImage(source->id);
    if (!image) {
        session.console().error("refused: row " + row + " of the production record keeps no previous image");
        return kRefused;
    }
    const PagerWorkflows::Restore request{*image, source->id, source->unit.imageSha256, record.writtenImage(source->id),
                                          options.force};
    // The pager that row wrote, so the same serial.
    session.production().setSerial(source->unit.serial);
    const bool verified = session.restorePager(request);
    std::cout << "restore of row " << row << ": " << (verified ? "verified" : "failed") << std::endl;
    return verified ? kOk : of(session.lastOutcome());
}

int log(const Options& options, Console& console) {
    const RecordQuery query{.batchId = options.batch,
                            .since = options.since,
                            .until = options.until,
                            .capcode = options.capcode,
                            .serial = options.serial};
    const RecordFormat format = *recordFormatFromName(options.format);
    const auto record = openForReading(options, console);
    std::cout << formatRecord(record ? record->find(query) : std::vector<StoredUnit>(), format, terminalWidth());
    // Units a bench holds with no result yet: in the table, after the units; beside a
    // machine's CSV or JSON, on standard error.
    for (const AllocatedUnit& unit : record ? record->allocatedUnits(options.batch) : std::vector<AllocatedUnit>()) {
        const std::string line = "allocated without a result: unit " + std::to_string(unit.unit) + " of batch " +
                                 std::to_string(unit.batchId) + " to " + unit.host +
                                 (unit.pid ? " (process " + std::to_string(*unit.pid) + ")" : "") + " since " +
                                 localTime(unit.time);
        if (format == RecordFormat::Table)
            std::cout << line << '\n';
        else
            console.status("pagerprog-cli: " + line);
    }
    return kOk;
}

}  // namespace pagerprog::cli
