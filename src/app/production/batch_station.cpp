#include "app/production/batch_station.h"

#include "app/pager/capcode_check.h"
#include "app/production/production.h"
#include "context/context.h"
#include "settings/field_names.h"

namespace pagerprog {

StationStop BatchStation::run() {
    while (true) {
        if (frontEnd_.stopAsked()) {
            batch_.stop(frontEnd_.stopAskedWith());
            return StationStop::WaitEnded;
        }
        // A programmer of a gang takes its unit only once its pager is in, so that no unit
        // waits at a programmer without a pager while another has one.
        if (role_ == StationRole::GangMember) {
            if (batch_.finished()) return StationStop::Done;
            if (const StationStop stop = waitForPager(std::nullopt); stop != StationStop::Done) return stop;
        }
        const std::optional<BatchUnit> unit = batch_.takeOrAwait([this] { return frontEnd_.stopAsked(); });
        if (!unit) return StationStop::Done;
        if (const StationStop stop = program(*unit); stop != StationStop::Done) return stop;
    }
}

StationStop BatchStation::waitForPager(std::optional<int> unit) {
    if (frontEnd_.waitForPager(unit, attempted_ + 1)) return StationStop::Done;
    const bool stopAsked = frontEnd_.stopAsked();
    // The other programmers wrote the last units meanwhile.
    if (role_ == StationRole::GangMember && !stopAsked && batch_.finished()) return StationStop::Done;
    if (role_ == StationRole::GangMember && !stopAsked) {
        leftBecause_ = frontEnd_.programmerLost();
        return StationStop::ProgrammerLeft;
    }
    batch_.stop(stopAsked ? frontEnd_.stopAskedWith()
                          : "the input ended before pager " + std::to_string(attempted_ + 1) + " was connected");
    return StationStop::WaitEnded;
}

// One pager: its capcodes shown and checked, a wait for it, the write.
StationStop BatchStation::program(const BatchUnit& unit) {
    showAddresses(ctx_.model, unit.addresses);
    if (unit.row && !typeRow(*unit.row)) {
        batch_.stop("row " + std::to_string(unit.row->sheetRow) + " was refused");
        return StationStop::RowRefused;
    }
    if (const auto problem = capcodeProblem(ctx_)) {
        batch_.stopAtRefusedCapcodes("the capcodes of the next pager are refused: " + *problem);
        return StationStop::CapcodesRefused;
    }
    if (!capcodesAreNew()) {
        batch_.stop("a capcode is already in another pager (--unique)");
        return StationStop::CapcodeInUse;
    }
    if (role_ == StationRole::Bench)
        if (const StationStop stop = waitForPager(unit.number); stop != StationStop::Done) return stop;
    production_.setUnit(unit.number, unit.row ? std::optional(unit.row->number) : std::nullopt);
    UnitResult result;
    result.unit = unit.number;
    result.capcodes = Production::capcodesShown(ctx_);
    result.programmer = programmer_;
    ++attempted_;
    result.outcome = frontEnd_.writePager();
    batch_.settle(result);
    frontEnd_.unitDone(result);
    // No pager is written while the record cannot account for it, so the batch ends here.
    if (const std::string& failure = production_.lastFailure(); !failure.empty()) {
        batch_.stop("the production record could not account for unit " + std::to_string(unit.number) + ": " + failure);
        return StationStop::RecordFailed;
    }
    return result.outcome == PagerOutcome::Done ? StationStop::Done : failed(unit, result);
}

// A failed pager's capcodes go to the next pager or are retired; a bench stops there, a
// gang goes on unless the programmer itself failed.
StationStop BatchStation::failed(const BatchUnit& unit, const UnitResult& result) {
    lastOutcome_ = result.outcome;
    if (reachedThePager(result.outcome) && batch_.onFailure() == OnFailure::Skip) retire(result);
    // A refusal says nothing of the pager (every next pager would meet it), and a cancel
    // asks the batch to stop.
    const bool pagersOwn = result.outcome != PagerOutcome::Refused && result.outcome != PagerOutcome::Cancelled;
    if (role_ == StationRole::GangMember && pagersOwn) {
        if (std::string lost = frontEnd_.programmerLost(); !lost.empty()) {
            leftBecause_ = std::move(lost);
            return StationStop::ProgrammerLeft;
        }
        return StationStop::Done;
    }
    batch_.stop("unit " + std::to_string(unit.number) + " " + std::string(outcomeFacts(result.outcome).resultText));
    return StationStop::PagerFailed;
}

// The retired capcodes are a row of the record of their own, so that the record accounts
// for every capcode of the batch.
void BatchStation::retire(const UnitResult& result) {
    PagerAttempt retired;
    retired.outcome = PagerOutcome::Retired;
    retired.capcodes = result.capcodes;
    retired.statusLog = {"The capcodes of unit " + std::to_string(result.unit) + " are retired: its pager " +
                         std::string(outcomeFacts(result.outcome).resultText) + "."};
    production_.keep(std::move(retired));
}

bool BatchStation::typeRow(const CapcodeRow& row) {
    for (int slot = 1; slot <= kRecordSlots; ++slot) {
        const auto& cell = row.addresses[static_cast<std::size_t>(slot - 1)];
        if (!cell) continue;
        if (const auto refused = frontEnd_.typeEdit(field::address(slot), *cell)) {
            frontEnd_.refusal("row " + std::to_string(row.sheetRow) + " of " + batch_.plan().capcodeFile + ": " +
                              *refused);
            return false;
        }
    }
    return true;
}

// Warns of an own capcode the record shows verified into another pager; false when unique.
bool BatchStation::capcodesAreNew() {
    ProductionRecord* record = production_.record();
    if (record == nullptr) return true;
    const SlotCapcodes capcodes = Production::capcodesShown(ctx_);
    bool fresh = true;
    for (const int slot : batch_.ownSlots(addressSlots(ctx_.program.hardwareRevision))) {
        const SlotCapcode& c = capcodes[static_cast<std::size_t>(slot - 1)];
        if (!c.enabled) continue;
        if (const auto earlier = record->verifiedWithCapcode(c.capcode)) {
            const std::string line = field::address(slot) + ' ' + std::to_string(c.capcode) +
                                     " is already in a pager (record row " + std::to_string(earlier->id) + ", " +
                                     earlier->unit.time + ")";
            if (unique_)
                frontEnd_.refusal(line);
            else
                frontEnd_.warning(line);
            fresh = false;
        }
    }
    return fresh || !unique_;
}

}  // namespace pagerprog
