#include "app/production/batch_station.h"

#include "app/pager/capcode_check.h"
#include "app/production/production.h"
#include "app/production/unit_serial.h"
#include "context/context.h"
#include "settings/conversion.h"
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
            if (join_ && !join_()) return StationStop::RecordFailed;
        }
        StationStop stop = StationStop::Done;
        const std::optional<BatchUnit> unit = next(stop);
        if (!unit) return stop;
        if (const StationStop ended = program(*unit); ended != StationStop::Done) {
            // A unit stopped before its pager was waited for goes back to the batch at once.
            const bool untouched = ended == StationStop::WaitEnded || ended == StationStop::CapcodesRefused ||
                                   ended == StationStop::RowRefused || ended == StationStop::SerialInUse ||
                                   ended == StationStop::HookRefused;
            if (untouched) production_.release(unit->number);
            return ended;
        }
    }
}

std::optional<BatchUnit> BatchStation::next(StationStop& stop) {
    if (!production_.used())
        return role_ == StationRole::GangMember ? batch_.takeOrAwait([this] { return frontEnd_.stopAsked(); })
                                                : batch_.take();
    while (true) {
        try {
            return allocate(stop);
        } catch (const RecordError& error) {
            const bool away = error.kind() == RecordError::Kind::Unreachable;
            if (away && frontEnd_.waitForRecord(error.what())) continue;
            frontEnd_.refusal(std::string(error.what()) + "; no pager was touched");
            batch_.stop("the production record could not hand out the next unit: " + std::string(error.what()));
            stop = away ? StationStop::RecordAway : StationStop::RecordFailed;
            return std::nullopt;
        }
    }
}

// The record hands the unit out and claims its own capcodes, whichever bench asks.
std::optional<BatchUnit> BatchStation::allocate(StationStop& stop) {
    UnitAllocation allocation;
    bool asked = false;
    const Batch::Allocate fromTheRecord = [&](const std::vector<int>& held) {
        AllocationRequest request;
        request.lastUnit = batch_.lastUnit();
        request.retireFailures = batch_.onFailure() == OnFailure::Skip;
        request.unique = unique_;
        request.held = held;
        asked = true;
        allocation = production_.allocate(request, [this](int number) { return ownCapcodes(batch_.unitAt(number)); });
        return allocation.unit;
    };
    // A gang's programmer waits while the others hold units that may come back.
    const bool gang = role_ == StationRole::GangMember;
    const std::optional<BatchUnit> unit =
        gang ? batch_.takeOrAwait([this] { return frontEnd_.stopAsked(); }, &fromTheRecord)
             : batch_.takeAllocated(fromTheRecord);
    for (const CapcodeConflict& conflict : allocation.conflicts) {
        const std::string line =
            field::address(conflict.slot) + ' ' + std::to_string(conflict.capcode) + ' ' + conflict.holder;
        if (unique_)
            frontEnd_.refusal(line);
        else
            frontEnd_.warning(line);
    }
    if (unit || !asked || (gang && allocation.conflicts.empty())) return unit;
    if (!allocation.conflicts.empty()) {
        batch_.stop("a capcode is already in another pager (--unique)");
        stop = StationStop::CapcodeInUse;
    } else {
        batch_.stop(batch_.plan().rows.empty() ? "the batch has no unit left" : "the capcode file has no more rows");
    }
    return std::nullopt;
}

// The enabled own slots' capcodes of the unit: its row's where the capcode file sets them.
std::vector<OwnCapcode> BatchStation::ownCapcodes(const BatchUnit& unit) const {
    std::vector<OwnCapcode> own;
    for (const int slot : batch_.ownSlots(addressSlots(ctx_.program.hardwareRevision))) {
        const auto at = static_cast<std::size_t>(slot - 1);
        if (!ctx_.model.checked(field::addrEn(slot))) continue;
        const auto& cell = unit.row ? unit.row->addresses[at] : std::nullopt;
        try {
            own.push_back({slot, static_cast<std::uint32_t>(parseInteger(cell ? *cell : unit.addresses[at]))});
        } catch (const ConversionError&) {
            // No capcode: the rules refuse it when the unit's capcodes are shown.
        }
    }
    return own;
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
    if (role_ == StationRole::Bench)
        if (const StationStop stop = waitForPager(unit.number); stop != StationStop::Done) return stop;
    const std::string serial = unit.serial.empty() ? frontEnd_.scannedSerial() : unit.serial;
    if (!serialIsNew(serial)) {
        batch_.stop("the serial " + serial + " is already in another pager (--unique)");
        return StationStop::SerialInUse;
    }
    production_.setUnit(unit.number, unit.row ? std::optional(unit.row->number) : std::nullopt);
    production_.setSerial(serial);
    if (const auto refused = production_.preUnitRefusal()) {
        const std::string why =
            "unit " + std::to_string(unit.number) + " was refused by the pre-unit hook: " + *refused;
        frontEnd_.refusal(why);
        batch_.stop(why);
        return StationStop::HookRefused;
    }
    UnitResult result;
    result.unit = unit.number;
    result.serial = serial;
    result.capcodes = Production::capcodesShown(ctx_);
    result.programmer = programmer_;
    ++attempted_;
    result.outcome = frontEnd_.writePager();
    batch_.settle(result);
    frontEnd_.unitDone(result);
    // No pager is written while the record cannot account for it, so the batch ends here.
    if (const std::string& failure = production_.lastFailure(); !failure.empty()) {
        batch_.stop("the production record could not account for unit " + std::to_string(unit.number) + ": " + failure);
        return production_.serverAway() ? StationStop::RecordAway : StationStop::RecordFailed;
    }
    return result.outcome == PagerOutcome::Done ? StationStop::Done : failed(unit, result);
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

// Warns of a serial the record shows verified into another pager; false when unique.
bool BatchStation::serialIsNew(const std::string& serial) {
    ProductionRecord* record = production_.record();
    if (record == nullptr || serial.empty()) return true;
    const auto earlier = verifiedWithSerial(*record, serial);
    if (!earlier) return true;
    const std::string line = "the serial " + serial + " is already in a pager (record row " +
                             std::to_string(earlier->id) + ", " + earlier->unit.time + ")";
    if (!unique_) {
        frontEnd_.warning(line);
        return true;
    }
    frontEnd_.refusal(line);
    return false;
}

}  // namespace pagerprog
