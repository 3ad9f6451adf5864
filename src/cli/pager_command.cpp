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
#include "app/record/data_home.h"
#include "app/record/record_format.h"
#include "cli/exit_status.h"
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

int restore(Session& session, const Options& options) {
    ProductionRecord& record = *session.production().record();
    const std::string row = std::to_string(options.row);
    if (!record.unit(options.row)) {
        session.console().error("refused: the production record has no row " + row);
        return kRefused;
    }
    const auto image = record.previousImage(options.row);
    if (!image) {
        session.console().error("refused: row " + row + " of the production record keeps no previous image");
        return kRefused;
    }
    const PagerWorkflows::Restore request{*image, options.row, record.unit(options.row)->unit.imageSha256,
                                          record.writtenImage(options.row), options.force};
    const bool verified = session.restorePager(request);
    std::cout << "restore of row " << row << ": " << (verified ? "verified" : "failed") << std::endl;
    return verified ? kOk : of(session.lastOutcome());
}

int log(const Options& options, Console& console) {
    RecordQuery query;
    query.batchId = options.batch;
    query.capcode = options.capcode;
    query.since = options.since;
    const std::filesystem::path path = options.db.empty() ? defaultRecordPath() : std::filesystem::path(options.db);
    const RecordFormat format = *recordFormatFromName(options.format);
    if (!std::filesystem::exists(path)) {
        // Nothing recorded yet is an empty answer, not a failure: no pager got that capcode.
        console.status("pagerprog-cli: no production record at " + path.string() + " yet");
        std::cout << formatRecord({}, format, terminalWidth());
        return kOk;
    }
    RecordOpenOptions readOnly;
    readOnly.readOnly = true;
    const ProductionRecord record(path, readOnly);
    std::cout << formatRecord(record.find(query), format, terminalWidth());
    return kOk;
}

}  // namespace pagerprog::cli
