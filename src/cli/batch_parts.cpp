#include "cli/batch_parts.h"

#include <unistd.h>
#include <nlohmann/json.hpp>

#include "app/production/batch_setup.h"
#include "cli/cli_options.h"
#include "cli/field_edit.h"
#include "cli/session.h"
#include "cli/settings_commands.h"
#include "host/plural.h"
#include "settings/field_names.h"

namespace pagerprog::cli {

std::atomic<bool> stopAsked{false};

namespace {

extern "C" void askToStop(int) {
    if (!stopAsked.exchange(true)) {
        constexpr char kStopping[] = "stopping after this pager\n";
        [[maybe_unused]] const auto written = ::write(STDERR_FILENO, kStopping, sizeof kStopping - 1);
    }
}

}  // namespace

InterruptWatch::InterruptWatch() {
    stopAsked = false;
    struct sigaction action {};
    action.sa_handler = askToStop;
    sigemptyset(&action.sa_mask);
    // No restart: a wait for Enter ends at Ctrl-C.
    sigaction(SIGINT, &action, &previous_);
}

InterruptWatch::~InterruptWatch() { sigaction(SIGINT, &previous_, nullptr); }

std::unique_ptr<Batch> beginCommandLineBatch(Session& session, const Options& options, BatchFrontEnd& frontEnd) {
    if (!promptsAreTheWindows(session, options)) return nullptr;
    if (!session.open(options.files[0])) return nullptr;
    BatchRequest request;
    request.count = options.count;
    request.countGiven = options.countGiven;
    request.capcodeFile = options.capcodes;
    request.resume = options.resume;
    request.join = options.join;
    request.onFailure = options.onFailure;
    request.edits = options.edits;
    request.serialFile = options.serials;
    request.serialsScanned = options.scan;
    return beginBatch(session.app().context(), session.production(), request, frontEnd);
}

std::optional<std::string> typeCommandLineEdit(Application& app, CliHost& host, const std::string& field,
                                               const std::string& value) {
    const EditResult result = applyFieldEdit(app, host, field, value);
    switch (result.outcome) {
        case EditOutcome::Applied: return std::nullopt;
        case EditOutcome::Refused: return result.reason;
        case EditOutcome::UnknownField:
        case EditOutcome::UnknownValue: throw UsageError(result.reason);
    }
    return result.reason;
}

std::string capcodesText(const SlotCapcodes& capcodes, int slots) {
    std::string text;
    for (int slot = 1; slot <= slots; ++slot) {
        const SlotCapcode& c = capcodes[static_cast<std::size_t>(slot - 1)];
        if (!c.enabled) continue;
        if (!text.empty()) text += ' ';
        text += field::address(slot) + "=" + std::to_string(c.capcode);
    }
    return text;
}

std::string verifiedLine(std::optional<std::int64_t> batch, const Batch::Figures& figures, int count) {
    std::string line = (batch ? "batch " + std::to_string(*batch) : std::string("no batch recorded")) + ": " +
                       std::to_string(figures.verified) + " of " + plural(count, "pager") + " written and verified";
    for (const UnitResult& unit : figures.results)
        if (unit.outcome != PagerOutcome::Done)
            line += "; unit " + std::to_string(unit.unit) + " " + std::string(resultText(unit.outcome));
    return line;
}

std::string nextLine(const std::optional<SlotCapcodes>& next, std::optional<int> nextRow, int slots) {
    if (next) return "next: " + capcodesText(*next, slots);
    if (nextRow) return "next: row " + std::to_string(*nextRow) + " of the capcode file";
    return "next: none";
}

void addNext(Json& summary, const std::optional<SlotCapcodes>& next, std::optional<int> nextRow, int slots) {
    summary["next"] = next ? capcodesJson(*next, slots) : Json();
    summary["next_row"] = nextRow ? Json(*nextRow) : Json();
}

Json capcodesJson(const SlotCapcodes& capcodes, int slots) {
    Json json = Json::object();
    for (int slot = 1; slot <= slots; ++slot) {
        const SlotCapcode& c = capcodes[static_cast<std::size_t>(slot - 1)];
        if (c.enabled) json[field::address(slot)] = c.capcode;
    }
    return json;
}

}  // namespace pagerprog::cli
