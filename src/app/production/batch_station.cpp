#include "app/production/batch_station.h"

#include "app/pager/capcode_check.h"
#include "app/production/production.h"
#include "app/production/unit_serial.h"
#include "context/context.h"
#include "settings/field_names.h"

namespace pagerprog {

StationStop BatchStation::run() {
    while (true) {
        if (frontEnd_.stopAsked()) {
            batch_.stop("Ctrl-C");
            return StationStop::WaitEnded;
        }
        const std::optional<BatchUnit> unit = batch_.take();
        if (!unit) return StationStop::Done;
        if (const StationStop stop = program(*unit); stop != StationStop::Done) return stop;
    }
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
    if (!frontEnd_.waitForPager(unit, attempted_ + 1)) {
        batch_.stop(frontEnd_.stopAsked()
                        ? "Ctrl-C"
                        : "the input ended before pager " + std::to_string(attempted_ + 1) + " was connected");
        return StationStop::WaitEnded;
    }
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
    ++attempted_;
    result.outcome = frontEnd_.writePager();
    batch_.settle(result);
    frontEnd_.unitDone(result);
    // No pager is written while the record cannot account for it, so the batch ends here.
    if (const std::string& failure = production_.lastFailure(); !failure.empty()) {
        batch_.stop("the production record could not account for unit " + std::to_string(unit.number) + ": " + failure);
        return StationStop::RecordFailed;
    }
    if (result.outcome == PagerOutcome::Done) return StationStop::Done;
    lastOutcome_ = result.outcome;
    batch_.stop("unit " + std::to_string(unit.number) + " " + std::string(outcomeFacts(result.outcome).resultText));
    return StationStop::PagerFailed;
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
