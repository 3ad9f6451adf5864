// One programmer working through a batch: for each unit it shows the unit's capcodes in
// the settings (stepped, with the capcode file's row typed on top), stops before a pager
// whose capcodes the rules refuse or that another pager already holds, waits for the
// pager and writes it. The front end says how to wait, how a value is typed and how the
// write runs, and hears how each unit ended. A bench alone stops the batch at a failed
// pager; a programmer of a gang goes on with the next pager, and leaves the gang (the
// others going on) when the programmer itself fails or goes away.
#pragma once

#include <optional>
#include <string>

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
    // "&WR_To_Pager": how the write ended.
    virtual PagerOutcome writePager() = 0;
    virtual void unitDone(const UnitResult& result) = 0;
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
    WaitEnded,        // the technician ended the wait for a pager
    PagerFailed,      // a pager's write failed
    RecordFailed,     // the production record could not account for a pager
    ProgrammerLeft,   // a gang's programmer failed or went away; the others go on
};

class BatchStation {
public:
    // `unique`: refuse a unit whose own capcode the record shows verified into another pager.
    // `programmer` names the programmer of a gang's station in its results.
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

private:
    // Waits for the next pager; Done when it is in.
    StationStop waitForPager(std::optional<int> unit);
    StationStop program(const BatchUnit& unit);
    StationStop failed(const BatchUnit& unit, const UnitResult& result);
    bool typeRow(const CapcodeRow& row);
    bool capcodesAreNew();
    void retire(const UnitResult& result);

    Context& ctx_;
    Production& production_;
    Batch& batch_;
    BatchFrontEnd& frontEnd_;
    const bool unique_;
    const StationRole role_;
    const std::string programmer_;
    int attempted_ = 0;
    std::string leftBecause_;
    PagerOutcome lastOutcome_ = PagerOutcome::Done;
};

}  // namespace pagerprog
