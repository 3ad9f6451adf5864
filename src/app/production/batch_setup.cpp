#include "app/production/batch_setup.h"

#include <algorithm>
#include <nlohmann/json.hpp>
#include <sstream>

#include "app/production/production.h"
#include "app/production/unit_serial.h"
#include "app/record/record_error.h"
#include "context/context.h"
#include "host/plural.h"

namespace pagerprog {

namespace {

bool isStep(const std::pair<std::string, std::string>& edit) { return edit.first.starts_with("autoinc"); }

class BatchSetup {
public:
    BatchSetup(Context& ctx, Production& production, const BatchRequest& request, BatchFrontEnd& frontEnd)
        : ctx_(ctx), production_(production), request_(request), frontEnd_(frontEnd), count_(request.count) {}

    std::unique_ptr<Batch> begin();

private:
    bool settleEarlierRuns();
    std::optional<BatchState> recordedBatch(std::int64_t id);
    std::unique_ptr<Batch> resume(const BatchState& state);
    std::unique_ptr<Batch> join(const BatchState& state);
    bool takeTheBatchsCapcodeFile(const BatchState& state);
    bool typeEdits(const FieldEdits& edits);
    bool takeTheBatchsEdits(const BatchState& state);
    bool stepLikeTheBatch(const BatchState& state);
    bool readRows(const std::string& path, const std::string& recordedSha256 = "");
    bool enoughRows(std::size_t firstRow) const;
    bool takeSerials(std::size_t firstRow);
    std::unique_ptr<Batch> made(int firstUnit, std::size_t firstRow);

    Context& ctx_;
    Production& production_;
    const BatchRequest& request_;
    BatchFrontEnd& frontEnd_;
    int count_;
    CapcodeFile capcodes_;
    std::string capcodeFile_;
    std::vector<std::string> serials_;
};

// A server that does not answer now is met again before the first unit, which waits for it
// or stops there; anything else the record says is a refusal.
bool BatchSetup::settleEarlierRuns() {
    try {
        production_.settleEarlierRuns();
    } catch (const RecordError& error) {
        if (error.kind() == RecordError::Kind::Unreachable) return true;
        frontEnd_.refusal(error.what());
        return false;
    }
    return true;
}

std::optional<BatchState> BatchSetup::recordedBatch(std::int64_t id) {
    std::optional<BatchState> state;
    try {
        state = production_.batchState(id);
    } catch (const RecordError& error) {
        frontEnd_.refusal(error.what());
        return std::nullopt;
    }
    if (!state) frontEnd_.refusal("the production record has no batch " + std::to_string(id));
    return state;
}

std::unique_ptr<Batch> BatchSetup::begin() {
    if (!settleEarlierRuns()) return nullptr;
    if (request_.resume || request_.join) {
        const auto state = recordedBatch(request_.resume ? *request_.resume : *request_.join);
        if (!state) return nullptr;
        return request_.resume ? resume(*state) : join(*state);
    }
    if (!typeEdits(request_.edits)) return nullptr;
    if (!request_.capcodeFile.empty() && !readRows(request_.capcodeFile)) return nullptr;
    if (!request_.serialFile.empty()) serials_ = readSerialFile(request_.serialFile);
    if (!request_.countGiven && !capcodes_.rows.empty()) count_ = static_cast<int>(capcodes_.rows.size());
    if (!request_.countGiven && capcodes_.rows.empty() && !serials_.empty()) count_ = static_cast<int>(serials_.size());
    if (!enoughRows(0) || !takeSerials(0)) return nullptr;
    const ProgramState& program = ctx_.program;
    BatchStart start;
    start.settingsPath = Production::recordedPath(program.settingsFile);
    start.settingsSha256 = program.settingsFileSha256;
    start.countAsked = count_;
    start.capcodeSource = capcodes_.rows.empty() ? CapcodeSource::Stepping : CapcodeSource::CsvFile;
    start.csvPath = Production::recordedPath(capcodeFile_);
    start.csvSha256 = capcodes_.sha256;
    start.steps = Production::stepsShown(ctx_);
    start.edits = recordedEdits(request_.edits);
    production_.startBatch(start);
    return made(1, 0);
}

// Goes on where a stopped batch ended: the settings as its first pager got them, the next
// unit number, and the capcodes after the last verified unit's (stepped on, or the next
// row of the capcode file).
std::unique_ptr<Batch> BatchSetup::resume(const BatchState& state) {
    const std::string batch = "batch " + std::to_string(state.id);
    if (state.start.settingsSha256 != ctx_.program.settingsFileSha256) {
        frontEnd_.refusal(batch + " was started with another settings file (" + state.start.settingsPath + ")");
        return nullptr;
    }
    if (!takeTheBatchsEdits(state)) return nullptr;
    if (!request_.countGiven) count_ = std::max(0, state.start.countAsked - state.verifiedUnits);
    if (!takeTheBatchsCapcodeFile(state)) return nullptr;
    if (state.start.capcodeSource != CapcodeSource::CsvFile && !request_.capcodeFile.empty() &&
        !readRows(request_.capcodeFile))
        return nullptr;
    if (capcodes_.rows.empty() && !stepLikeTheBatch(state)) return nullptr;
    const std::size_t firstRow = state.csvRow ? static_cast<std::size_t>(*state.csvRow) : 0;
    if (!request_.serialFile.empty()) serials_ = readSerialFile(request_.serialFile);
    if (!enoughRows(firstRow) || !takeSerials(firstRow)) return nullptr;
    production_.resumeBatch(state);
    if (state.lastCapcodes && capcodes_.rows.empty()) {
        AddressTexts last;
        for (std::size_t slot = 0; slot < last.size(); ++slot)
            last[slot] = std::to_string((*state.lastCapcodes)[slot].capcode);
        showAddresses(ctx_.model, steppedAddresses(last, shownSteps(ctx_.model), 1));
    }
    frontEnd_.notice(batch + " resumed at unit " + std::to_string(state.nextUnit) + ": " + plural(count_, "pager") +
                     " to go");
    return made(state.nextUnit, firstRow);
}

// Another bench's batch, programmed as it is: the same settings file, the batch's edits,
// steps and capcode file, units counted from its first, shared out by the record.
std::unique_ptr<Batch> BatchSetup::join(const BatchState& state) {
    const std::string batch = "batch " + std::to_string(state.id);
    const std::string& sha256 = ctx_.program.settingsFileSha256;
    if (state.start.settingsSha256 != sha256) {
        frontEnd_.refusal(batch + " was started with settings of SHA-256 " + state.start.settingsSha256 + " (" +
                          state.start.settingsPath + "); " + ctx_.program.settingsFile + " has SHA-256 " + sha256);
        return nullptr;
    }
    if (!request_.edits.empty()) {
        const auto& [field, value] = request_.edits.front();
        frontEnd_.refusal(batch + " is joined with its own settings, steps and capcodes; " + field + "=" + value +
                          " would change them");
        return nullptr;
    }
    const auto edits = state.start.edits ? editsFromRecord(*state.start.edits) : std::nullopt;
    if (!edits) {
        frontEnd_.refusal(batch +
                          " was recorded without its edits in a form this pagerprog reads; it cannot be joined");
        return nullptr;
    }
    if (!typeEdits(*edits) || !takeTheBatchsCapcodeFile(state)) return nullptr;
    if (capcodes_.rows.empty() && !stepLikeTheBatch(state)) return nullptr;
    // Without a count: until the capcode file's rows run out, or what the batch has left.
    if (!request_.countGiven)
        count_ = capcodes_.rows.empty() ? std::max(0, state.start.countAsked - state.verifiedUnits)
                                        : static_cast<int>(capcodes_.rows.size());
    if (count_ == 0) {
        frontEnd_.refusal(batch + " has no pagers left of the " + plural(state.start.countAsked, "pager") +
                          " it was started for; give --count");
        return nullptr;
    }
    production_.resumeBatch(state);
    frontEnd_.notice(batch + " joined: " + plural(count_, "pager") + " to take");
    return made(1, 0);
}

// A batch that took a capcode file takes it again, unchanged.
bool BatchSetup::takeTheBatchsCapcodeFile(const BatchState& state) {
    if (state.start.capcodeSource != CapcodeSource::CsvFile) return true;
    const std::string batch = "batch " + std::to_string(state.id);
    const std::string path = request_.capcodeFile.empty() ? state.start.csvPath : request_.capcodeFile;
    if (request_.capcodeFile.empty()) frontEnd_.notice("capcodes from " + path + ", as " + batch + " took them");
    return readRows(path, state.start.csvSha256);
}

bool BatchSetup::typeEdits(const FieldEdits& edits) {
    for (const auto& [field, value] : edits) {
        if (const auto refused = frontEnd_.typeEdit(field, value)) {
            frontEnd_.refusal(*refused);
            return false;
        }
    }
    return true;
}

// A resumed batch writes what its first pager got: the edits it was started with, and
// nothing else but steps from the command line. A batch recorded before the record kept
// its edits takes the command line's.
bool BatchSetup::takeTheBatchsEdits(const BatchState& state) {
    if (!state.start.edits) return typeEdits(request_.edits);
    const auto recorded = editsFromRecord(*state.start.edits);
    if (!recorded) {
        frontEnd_.refusal("the production record keeps the edits of batch " + std::to_string(state.id) +
                          " in a form this pagerprog cannot read");
        return false;
    }
    const auto other = std::find_if_not(request_.edits.begin(), request_.edits.end(), isStep);
    if (other != request_.edits.end()) {
        frontEnd_.refusal("batch " + std::to_string(state.id) + " resumes with the settings it started with; " +
                          other->first + "=" + other->second + " would change them (give only steps with --resume)");
        return false;
    }
    FieldEdits edits = *recorded;
    edits.insert(edits.end(), request_.edits.begin(), request_.edits.end());
    return typeEdits(edits);
}

// The steps the batch was started with, unless steps were given now: without them the
// next pager would get the capcodes of the last one.
bool BatchSetup::stepLikeTheBatch(const BatchState& state) {
    if (std::any_of(request_.edits.begin(), request_.edits.end(), isStep)) return true;
    if (!state.start.steps) {
        frontEnd_.refusal("batch " + std::to_string(state.id) +
                          " was recorded without its capcode steps; give them again (autoinc1=8, say)");
        return false;
    }
    FieldEdits steps;
    std::istringstream words(*state.start.steps);
    for (std::string step; words >> step;) {
        if (const auto equals = step.find('='); equals != std::string::npos)
            steps.emplace_back(step.substr(0, equals), step.substr(equals + 1));
    }
    if (!typeEdits(steps)) return false;
    frontEnd_.notice("steps of batch " + std::to_string(state.id) + ": " + *state.start.steps);
    return true;
}

// A resumed batch takes the rows it was started with: a file changed since (sorted anew in
// a spreadsheet, say) would give pagers capcodes twice and leave others out.
bool BatchSetup::readRows(const std::string& path, const std::string& recordedSha256) {
    capcodeFile_ = path;
    capcodes_ = readCapcodeFile(path);
    if (recordedSha256.empty() || recordedSha256 == capcodes_.sha256) return true;
    frontEnd_.refusal("the capcode file " + path + " has changed since the batch took its rows (SHA-256 " +
                      capcodes_.sha256 + " now, " + recordedSha256 + " then)");
    return false;
}

// A capcode file must hold a row for every pager still to come, before the first is written.
bool BatchSetup::enoughRows(std::size_t firstRow) const {
    const auto& rows = capcodes_.rows;
    if (rows.empty()) return true;
    const std::size_t left = rows.size() - std::min(firstRow, rows.size());
    if (left >= static_cast<std::size_t>(count_)) return true;
    frontEnd_.refusal("the capcode file has " + plural(static_cast<long long>(left), "row") + " left for " +
                      plural(count_, "pager"));
    return false;
}

// Each pager's serial comes from one place: the scanner, the serial list or the capcode
// file's serial column; a list must name every pager still to come before the first is written.
bool BatchSetup::takeSerials(std::size_t firstRow) {
    const auto& rows = capcodes_.rows;
    const bool inRows = std::any_of(rows.begin() + static_cast<std::ptrdiff_t>(std::min(firstRow, rows.size())),
                                    rows.end(), [](const CapcodeRow& row) { return row.serial.has_value(); });
    const char* twice = request_.serialsScanned && !serials_.empty() ? "scanned and read from a serial list"
                        : request_.serialsScanned && inRows          ? "scanned and read from the capcode file"
                        : !serials_.empty() && inRows ? "read from both a serial list and the capcode file"
                                                      : nullptr;
    if (twice != nullptr) {
        frontEnd_.refusal(std::string("the pagers' serials would be ") + twice + "; give them one way");
        return false;
    }
    if (serials_.empty() || serials_.size() >= static_cast<std::size_t>(count_)) return true;
    frontEnd_.refusal("the serial list has " + plural(static_cast<long long>(serials_.size()), "serial") + " for " +
                      plural(count_, "pager"));
    return false;
}

std::unique_ptr<Batch> BatchSetup::made(int firstUnit, std::size_t firstRow) {
    CapcodePlan plan;
    plan.firstUnit = firstUnit;
    plan.base = shownAddresses(ctx_.model);
    plan.steps = shownSteps(ctx_.model);
    plan.rows = std::move(capcodes_.rows);
    plan.capcodeFile = capcodeFile_;
    plan.firstRow = firstRow;
    plan.serials = std::move(serials_);
    return std::make_unique<Batch>(std::move(plan), count_, request_.onFailure);
}

}  // namespace

std::unique_ptr<Batch> beginBatch(Context& ctx, Production& production, const BatchRequest& request,
                                  BatchFrontEnd& frontEnd) {
    return BatchSetup(ctx, production, request, frontEnd).begin();
}

std::string recordedEdits(const FieldEdits& edits) { return nlohmann::json(edits).dump(); }

std::optional<FieldEdits> editsFromRecord(const std::string& text) {
    const auto json = nlohmann::json::parse(text, nullptr, false);
    if (json.is_discarded() || !json.is_array()) return std::nullopt;
    FieldEdits edits;
    for (const auto& edit : json) {
        if (!edit.is_array() || edit.size() != 2 || !edit[0].is_string() || !edit[1].is_string()) return std::nullopt;
        edits.emplace_back(edit[0].get<std::string>(), edit[1].get<std::string>());
    }
    return edits;
}

}  // namespace pagerprog
