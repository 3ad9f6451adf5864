// A production run of pagers as every front end runs it: which unit comes next and with
// which capcodes, what each unit came to, and why the run ended. Units are handed out one
// at a time, so unit k gets the capcodes of unit k whichever programmer takes it: the
// capcodes shown when the batch started (or resumed) stepped on once per unit before it,
// with the capcode file's row for that unit on top. One Batch may be shared by the
// programmers of a gang; every member is safe to call from several threads.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "app/pager/address_step.h"
#include "app/pager/pager_outcome.h"
#include "app/production/capcode_rows.h"
#include "app/record/record_types.h"

namespace pagerprog {

// What becomes of a unit whose pager failed: the next pager (on any programmer) gets its
// capcodes, or they are retired and the next pager gets the next unit's.
enum class OnFailure { Reuse, Skip };

// Whether a write that ended so may have changed the pager: a refused one never began, and
// its unit goes to the next pager whatever the policy.
bool reachedThePager(PagerOutcome outcome);

// "reuse" and "skip", as the command line and the record name them.
std::string_view onFailureName(OnFailure onFailure);
std::optional<OnFailure> onFailureFromName(std::string_view name);

struct CapcodePlan {
    int firstUnit = 1;  // the unit that gets `base`
    AddressTexts base{};
    AddressSteps steps{};
    std::vector<CapcodeRow> rows{};  // none: the capcodes step on
    std::string capcodeFile{};       // the file the rows come from
    std::size_t firstRow = 0;        // the index of the row the first unit takes
    // The serials of the units from the first on, from a serial list (none: from the
    // capcode file's serial column, a scanner, or none).
    std::vector<std::string> serials{};
};

struct BatchUnit {
    int number = 0;          // 1 for the batch's first unit
    AddressTexts addresses;  // stepped on from the plan's base
    std::optional<CapcodeRow> row;
    std::string serial;  // the serial a file gives the unit ("" none)
};

struct UnitResult {
    int unit = 0;
    std::string serial;  // of the pager that took it ("" none given)
    SlotCapcodes capcodes{};
    PagerOutcome outcome = PagerOutcome::Done;
    std::string programmer{};  // in a gang, the programmer that wrote it ("1-2.3")
};

class Batch {
public:
    // `count` units from the plan's first unit on.
    Batch(CapcodePlan plan, int count, OnFailure onFailure = OnFailure::Reuse);

    int count() const { return count_; }
    const CapcodePlan& plan() const { return plan_; }
    OnFailure onFailure() const { return onFailure_; }
    // The slots whose capcodes are each pager's own: those that step or that the capcode
    // file sets. Slots that stay the same through a batch hold capcodes the pagers share
    // (a group call), so when no slot steps every slot is the pager's own.
    std::vector<int> ownSlots(int slots) const;

    // Unit `number` of the plan, whichever program takes it.
    BatchUnit unitAt(int number) const;
    // The last unit the capcode file has a row for; none when the capcodes step on.
    std::optional<int> lastUnit() const;

    // The next unit to program: a failed one again first (with OnFailure::Reuse), else the
    // next new one. None once every unit is settled or handed out, or the batch stopped.
    std::optional<BatchUnit> take();
    // The next unit of a batch the production record shares out among programs: `allocate`
    // hears the units this program holds and gives the one the record allocated to it, or
    // none. None too once this program has taken its count, or the batch stopped.
    using Allocate = std::function<std::optional<int>(const std::vector<int>& held)>;
    std::optional<BatchUnit> takeAllocated(const Allocate& allocate);
    // As take() or takeAllocated(), but while units handed out to other programmers of this
    // program may still fail and come back (OnFailure::Reuse), waits for them (asking
    // `giveUp` now and then). None once none can.
    std::optional<BatchUnit> takeOrAwait(const std::function<bool()>& giveUp, const Allocate* allocate = nullptr);
    // What the unit handed out came to.
    void settle(const UnitResult& result);
    // Nothing more is handed out; the first reason given is the one kept.
    void stop(const std::string& why);
    bool stopped() const;
    // Nothing is left to hand out, now or later: the batch stopped, or every unit was handed
    // out and none can come back. A programmer of a gang then wants no further pager.
    bool finished() const;
    // The unit take() would hand out now, if any.
    std::optional<BatchUnit> upcoming() const;
    // The next unit's capcodes were refused, so there is none to offer after the batch.
    void stopAtRefusedCapcodes(const std::string& why);

    struct Figures {
        std::vector<UnitResult> results;  // in the order they were settled
        int verified = 0;
        std::string stopped;         // why it stopped before its count ("" when it did not)
        bool nextRefused = false;    // the capcodes of the next unit were refused
        std::optional<int> nextRow;  // the capcode-file row the next pager would take, as a spreadsheet numbers it
        BatchUnit next;              // the lowest unit neither verified nor retired
    };
    Figures figures() const;

private:
    int lowestOpenUnit() const;
    // Under the lock: the unit to hand out next, without handing it out.
    std::optional<int> nextNumber() const;

    const CapcodePlan plan_;
    const int count_;
    const OnFailure onFailure_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;  // a unit handed out was settled, or the batch stopped
    int nextNew_;                      // the next unit never handed out
    // Handed out (or allocated by the record), not settled yet: once for each holder, as a
    // failed unit freed in the record may be taken by another programmer before its first
    // holder has settled it here.
    std::multiset<int> out_;
    std::set<int> again_;    // failed units to hand out again
    std::set<int> settled_;  // verified or retired
    std::vector<UnitResult> results_;
    std::string stopped_;
    bool nextRefused_ = false;
};

}  // namespace pagerprog
