#include "app/production/batch_setup.h"

#include <algorithm>
#include <sstream>

#include "app/production/production.h"
#include "context/context.h"
#include "host/plural.h"

namespace pagerprog {

namespace {

class BatchSetup {
public:
    BatchSetup(Context& ctx, Production& production, const BatchRequest& request, BatchFrontEnd& frontEnd)
        : ctx_(ctx), production_(production), request_(request), frontEnd_(frontEnd), count_(request.count) {}

    std::unique_ptr<Batch> begin();

private:
    std::unique_ptr<Batch> resume(const BatchState& state);
    bool stepLikeTheBatch(const BatchState& state);
    bool enoughRows(std::size_t firstRow) const;
    std::unique_ptr<Batch> made(std::int64_t id, int firstUnit, std::size_t firstRow);

    Context& ctx_;
    Production& production_;
    const BatchRequest& request_;
    BatchFrontEnd& frontEnd_;
    int count_;
    std::vector<CapcodeRow> rows_;
    std::string capcodeFile_;
};

std::unique_ptr<Batch> BatchSetup::begin() {
    capcodeFile_ = request_.capcodeFile;
    if (!capcodeFile_.empty()) rows_ = readCapcodeRows(capcodeFile_);
    if (request_.resume) {
        const auto state = production_.record()->batchState(*request_.resume);
        if (!state) {
            frontEnd_.refusal("the production record has no batch " + std::to_string(*request_.resume));
            return nullptr;
        }
        return resume(*state);
    }
    if (!rows_.empty() && !request_.countGiven) count_ = static_cast<int>(rows_.size());
    if (!enoughRows(0)) return nullptr;
    const ProgramState& program = ctx_.program;
    BatchStart start;
    start.settingsPath = Production::recordedPath(program.settingsFile);
    start.settingsSha256 = program.settingsFileSha256;
    start.countAsked = count_;
    start.capcodeSource = rows_.empty() ? CapcodeSource::Stepping : CapcodeSource::CsvFile;
    start.csvPath = Production::recordedPath(capcodeFile_);
    start.steps = Production::stepsShown(ctx_);
    const std::int64_t id = production_.startBatch(start);
    frontEnd_.notice("batch " + std::to_string(id) + ": " + plural(count_, "pager"));
    return made(id, 1, 0);
}

// Goes on where a stopped batch ended: the next unit number, and the capcodes after the last
// verified unit's (stepped on, or the next row of the capcode file).
std::unique_ptr<Batch> BatchSetup::resume(const BatchState& state) {
    if (state.start.settingsSha256 != ctx_.program.settingsFileSha256) {
        frontEnd_.refusal("batch " + std::to_string(state.id) + " was started with another settings file (" +
                          state.start.settingsPath + ")");
        return nullptr;
    }
    if (!request_.countGiven) count_ = std::max(0, state.start.countAsked - state.verifiedUnits);
    if (state.start.capcodeSource == CapcodeSource::CsvFile && rows_.empty()) {
        frontEnd_.notice("capcodes from " + state.start.csvPath + ", as batch " + std::to_string(state.id) +
                         " took them");
        capcodeFile_ = state.start.csvPath;
        rows_ = readCapcodeRows(capcodeFile_);
    }
    if (rows_.empty() && !stepLikeTheBatch(state)) return nullptr;
    const std::size_t firstRow = state.csvRow ? static_cast<std::size_t>(*state.csvRow) : 0;
    if (!enoughRows(firstRow)) return nullptr;
    production_.resumeBatch(state);
    if (state.lastCapcodes && rows_.empty()) {
        AddressTexts last;
        for (int slot = 1; slot <= kRecordSlots; ++slot)
            last[static_cast<std::size_t>(slot - 1)] =
                std::to_string((*state.lastCapcodes)[static_cast<std::size_t>(slot - 1)].capcode);
        showAddresses(ctx_.model, steppedAddresses(last, shownSteps(ctx_.model), 1));
    }
    frontEnd_.notice("batch " + std::to_string(state.id) + " resumed at unit " + std::to_string(state.nextUnit) + ": " +
                     plural(count_, "pager") + " to go");
    return made(state.id, state.nextUnit, firstRow);
}

// The steps the batch was started with, unless the settings were given steps of their own:
// without them the next pager would get the capcodes of the last one.
bool BatchSetup::stepLikeTheBatch(const BatchState& state) {
    if (request_.stepsGiven) return true;
    if (!state.start.steps) {
        frontEnd_.refusal("batch " + std::to_string(state.id) +
                          " was recorded without its capcode steps; give them again (autoinc1=8, say)");
        return false;
    }
    std::istringstream words(*state.start.steps);
    for (std::string step; words >> step;) {
        const auto equals = step.find('=');
        if (equals == std::string::npos) continue;
        if (const auto refused = frontEnd_.typeEdit(step.substr(0, equals), step.substr(equals + 1))) {
            frontEnd_.refusal(*refused);
            return false;
        }
    }
    frontEnd_.notice("steps of batch " + std::to_string(state.id) + ": " + *state.start.steps);
    return true;
}

// A capcode file must hold a row for every pager still to come, before the first is written.
bool BatchSetup::enoughRows(std::size_t firstRow) const {
    if (rows_.empty()) return true;
    const std::size_t left = rows_.size() - std::min(firstRow, rows_.size());
    if (left >= static_cast<std::size_t>(count_)) return true;
    frontEnd_.refusal("the capcode file has " + plural(static_cast<long long>(left), "row") + " left for " +
                      plural(count_, "pager"));
    return false;
}

std::unique_ptr<Batch> BatchSetup::made(std::int64_t id, int firstUnit, std::size_t firstRow) {
    CapcodePlan plan;
    plan.firstUnit = firstUnit;
    plan.base = shownAddresses(ctx_.model);
    plan.steps = shownSteps(ctx_.model);
    plan.rows = std::move(rows_);
    plan.capcodeFile = capcodeFile_;
    plan.firstRow = firstRow;
    return std::make_unique<Batch>(id, std::move(plan), count_, request_.onFailure);
}

}  // namespace

std::unique_ptr<Batch> beginBatch(Context& ctx, Production& production, const BatchRequest& request,
                                  BatchFrontEnd& frontEnd) {
    return BatchSetup(ctx, production, request, frontEnd).begin();
}

}  // namespace pagerprog
