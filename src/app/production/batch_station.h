// One programmer working through a batch: it takes the next unit (from the production
// record, which shares a batch's units out among benches and claims each unit's own
// capcodes, when there is one), shows the unit's capcodes in the settings (stepped, with
// the capcode file's row typed on top), stops before a pager whose capcodes the rules
// refuse or that another pager already holds, waits for the pager and writes it. The front
// end says how to wait, how a value is typed and how the write runs, and hears how each
// unit ended. A bench alone stops the batch at a failed pager; a programmer of a gang goes
// on with the next pager, and leaves the gang (the others going on) when the programmer
// itself fails or goes away.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/production/batch.h"

namespace pagerprog {

struct Context;
class Production;

class BatchFrontEnd {
public:
    virtual ~BatchFrontEnd() = default;
    // A line about the batch as a whole, a refusal, a warning.
    virtual void notice(const std::string& line) = 0;
    virtual void refusal(const std::string& line) = 0;
    virtual void warning(const std::string& line) = 0;
    // Types FIELD=VALUE as a technician does; why it was refused, or nothing.
    virtual std::optional<std::string> typeEdit(const std::string& field, const std::string& value) = 0;
    // True once the technician asked the batch to stop (checked before each unit), and how
    // the batch's figures name that stop.
    virtual bool stopAsked() = 0;
    virtual std::string stopAskedWith() const { return "Ctrl-C"; }
    // Waits until the `position`th pager of this run is ready to be written: the pager of
    // `unit`, or, in a gang, whose programmers take their unit once the pager is in, of the
    // unit to come. False when the technician ended the batch instead (or, in a gang, the
    // programmer went away, or the batch finished: Batch::finished).
    virtual bool waitForPager(std::optional<int> unit, int position) = 0;
    // The serial the technician gave for the pager just made ready (a scanner's line), when
    // the front end asks for one: "" for none.
    virtual std::string scannedSerial() { return {}; }
    // "&WR_To_Pager": how the write ended.
    virtual PagerOutcome writePager() = 0;
    virtual void unitDone(const UnitResult& result) = 0;
    // The production record's server cannot be reached before the next unit: true once it
    // is time to try again, false to stop the batch.
    virtual bool waitForRecord(const std::string& problem) {
        (void)problem;
        return false;
    }
    // Why the programmer cannot go on (unplugged, no longer answering); "" while it can.
    // Asked in a gang when a wait for a pager ends or a write fails.
    virtual std::string programmerLost() { return ""; }
};

enum class StationRole { Bench, GangMember };

// Why a station stopped.
enum class StationStop {
    Done,             // the batch had no more units for it
    CapcodesRefused,  // the rules refuse the next unit's capcodes
    RowRefused,       // the capcode file's row for the next unit was refused
    CapcodeInUse,     // a capcode of the next unit is already in a pager (refused when unique)
    SerialInUse,      // the next pager's serial is already in another pager's row (refused when unique)
    HookRefused,      // the pre-unit hook refused the next pager
    WaitEnded,        // the technician ended the wait for a pager
    PagerFailed,      // a pager's write failed
    RecordFailed,     // the production record could not account for a pager
    RecordAway,       // the production record's server could not be reached before a pager
    ProgrammerLeft,   // a gang's programmer failed or went away; the others go on
};

class BatchStation {
public:
    // `unique`: refuse a unit whose own capcode another unit claimed, or whose own capcode
    // or serial the record shows verified into another pager. `programmer` names the
    // programmer of a gang's station in its results.
    BatchStation(Context& ctx, Production& production, Batch& batch, BatchFrontEnd& frontEnd, bool unique,
                 StationRole role = StationRole::Bench, std::string programmer = {})
        : ctx_(ctx),
          production_(production),
          batch_(batch),
          frontEnd_(frontEnd),
          unique_(unique),
          role_(role),
          programmer_(std::move(programmer)) {}

    // Programs units until the batch has none left for it or it must stop; a stop other
    // than Done also stops the batch, with the reason in its figures.
    StationStop run();
    // Pagers attempted so far.
    int attempted() const { return attempted_; }
    // How the last failed write ended.
    PagerOutcome lastOutcome() const { return lastOutcome_; }
    // Why the programmer left the gang (StationStop::ProgrammerLeft).
    const std::string& leftBecause() const { return leftBecause_; }
    // A gang's programmer joins the gang's batch in the record once its pager is in and
    // before it takes a unit, so that every programmer's units are allocated in one batch.
    // False stops the station (the batch stopped, with why).
    void joinWith(std::function<bool()> join) { join_ = std::move(join); }

private:
    // The next unit, or none with why the station stops.
    std::optional<BatchUnit> next(StationStop& stop);
    std::optional<BatchUnit> allocate(StationStop& stop);
    std::vector<OwnCapcode> ownCapcodes(const BatchUnit& unit) const;
    // Waits for the next pager; Done when it is in.
    StationStop waitForPager(std::optional<int> unit);
    StationStop program(const BatchUnit& unit);
    StationStop failed(const BatchUnit& unit, const UnitResult& result);
    bool typeRow(const CapcodeRow& row);
    bool serialIsNew(const std::string& serial);
    void retire(const UnitResult& result);

    Context& ctx_;
    Production& production_;
    Batch& batch_;
    BatchFrontEnd& frontEnd_;
    const bool unique_;
    const StationRole role_;
    const std::string programmer_;
    std::function<bool()> join_;
    int attempted_ = 0;
    std::string leftBecause_;
    PagerOutcome lastOutcome_ = PagerOutcome::Done;
};

}  // namespace pagerprog
