// How the production record shares a batch's units out among the benches that program it,
// and claims each unit's own capcodes, so that unit k gets the capcodes of unit k on
// whichever bench takes it, and no capcode goes into two pagers.
#include <algorithm>

#include "app/record/data_home.h"
#include "app/record/production_record.h"
#include "app/record/production_record_impl.h"
#include "app/record/record_time.h"
#include "app/record/sql_dialect.h"

namespace pagerprog {

namespace {

std::string quoted(std::string_view text) { return "'" + std::string(text) + "'"; }

const std::string kAllocated = quoted(unit_state::allocated);

// New units are made this many at a time, free for any bench to take.
constexpr int kUnitsAhead = 16;

// A unit this program holds from an allocation whose answer never came (the connection
// broke at its commit).
std::optional<int> unitHeldUnknowingly(SqlConnection& db, std::int64_t batchId, const AllocationRequest& request,
                                       const std::string& host, std::int64_t pid) {
    auto own = db.prepare("SELECT unit_number FROM batch_units WHERE batch_id = ? AND state = " + kAllocated +
                          " AND holder = ? AND pid = ? ORDER BY unit_number");
    for (own->start().bind(1, batchId).bind(2, host).bind(3, pid); own->step();) {
        const int unit = static_cast<int>(own->integer(0));
        if (std::find(request.held.begin(), request.held.end(), unit) == request.held.end()) return unit;
    }
    return std::nullopt;
}

// The lowest unit no bench holds: one a failed pager or a bench left, or a new one, locked
// for this transaction. Benches allocating at once each lock another, so that none waits
// for another's commit.
std::optional<int> lowestFreeUnit(SqlConnection& db, std::int64_t batchId) {
    auto free =
        db.prepare("SELECT unit_number FROM batch_units WHERE batch_id = ? AND state IN (" + quoted(unit_state::free) +
                   ", " + quoted(unit_state::failed) + ", " + quoted(unit_state::released) +
                   ") ORDER BY unit_number LIMIT 1" + std::string(db.dialect().lockSkippingLocked));
    if (free->start().bind(1, batchId).step()) return static_cast<int>(free->integer(0));
    return std::nullopt;
}

// Makes the batch's next new units, free; false when it has none left. Another bench
// making the same ones at once makes them once.
bool makeNewUnits(SqlConnection& db, std::int64_t batchId, const AllocationRequest& request, const std::string& now) {
    auto highest = db.prepare("SELECT COALESCE(max(unit_number), 0) FROM batch_units WHERE batch_id = ?");
    highest->start().bind(1, batchId).step();
    const int first = std::max<int>(request.firstNewUnit, static_cast<int>(highest->integer(0)) + 1);
    const int last = std::min(first + kUnitsAhead - 1, request.lastUnit.value_or(first + kUnitsAhead - 1));
    if (last < first) return false;
    std::string sql = "INSERT INTO batch_units (batch_id, unit_number, state, holder, on_fail, time) VALUES ";
    for (int unit = first; unit <= last; ++unit)
        sql += std::string(unit == first ? "" : ", ") + "(?, ?, " + quoted(unit_state::free) + ", '', 'reuse', ?)";
    auto insert = db.prepare(sql + " ON CONFLICT (batch_id, unit_number) DO NOTHING");
    insert->start();
    for (int unit = first, at = 0; unit <= last; ++unit, at += 3)
        insert->bind(at + 1, batchId).bind(at + 2, unit).bind(at + 3, now);
    insert->run();
    return true;
}

// Who holds an own capcode of `unit` other than the unit itself: the pager it was verified
// into, or the unit that claimed it; "" for nobody.
std::string otherHolder(SqlConnection& db, std::int64_t batchId, int unit, std::uint32_t capcode) {
    auto verified = db.prepare("SELECT u.id, u.time, u.batch_id, u.unit_number FROM " +
                               std::string(kUnitsWithOutcomes) + " WHERE u.operation IN ('write', 'restore') AND " +
                               std::string(kUnitOutcome) + " = " + quoted(outcome::ok) +
                               " AND u.id IN (SELECT unit_id FROM unit_slots WHERE capcode = ? AND enabled <> 0)"
                               " ORDER BY u.time DESC, u.id DESC LIMIT 1");
    if (verified->start().bind(1, capcode).step() &&
        !(verified->optionalInteger(2) == batchId && verified->optionalInteger(3) == unit))
        return "is already in a pager (record row " + std::to_string(verified->integer(0)) + ", " + verified->text(1) +
               ")";
    auto claim = db.prepare("SELECT batch_id, unit_number FROM capcode_claims WHERE capcode = ?");
    if (claim->start().bind(1, capcode).step() && !(claim->integer(0) == batchId && claim->integer(1) == unit))
        return "is already claimed by unit " + std::to_string(claim->integer(1)) + " of batch " +
               std::to_string(claim->integer(0));
    return {};
}

}  // namespace

UnitAllocation ProductionRecord::allocateUnit(const AllocationRequest& request, const OwnCapcodes& ownCapcodes) {
    SqlConnection& db = impl_->db;
    const std::string host = currentHostName();
    const std::int64_t pid = currentProcessId();
    const std::string onFail = request.retireFailures ? "skip" : "reuse";
    Transaction transaction(db);
    const std::string now = utcNow();
    const std::int64_t batchId = request.batchId ? request.batchId : impl_->insertBatch(*request.newBatch);
    std::optional<int> unit = unitHeldUnknowingly(db, batchId, request, host, pid);
    // New units are made when none is free; those another bench makes at once may all be
    // locked by then, so it looks again.
    while (!unit && !(unit = lowestFreeUnit(db, batchId))) {
        if (!makeNewUnits(db, batchId, request, now)) return {};  // a new batch is not kept either
    }
    db.prepare("UPDATE batch_units SET state = " + kAllocated +
               ", holder = ?, pid = ?, on_fail = ?, time = ? WHERE batch_id = ? AND unit_number = ?")
        ->start()
        .bind(1, host)
        .bind(2, pid)
        .bind(3, onFail)
        .bind(4, now)
        .bind(5, batchId)
        .bind(6, *unit)
        .run();

    UnitAllocation allocation{batchId, unit, {}};
    std::vector<OwnCapcode> own = ownCapcodes(*unit);
    // Claimed in one order on every bench, so that two claiming alike wait rather than deadlock.
    std::sort(own.begin(), own.end(), [](const auto& a, const auto& b) { return a.capcode < b.capcode; });
    auto claim = db.prepare(
        "INSERT INTO capcode_claims (capcode, batch_id, unit_number, time) VALUES (?, ?, ?, ?) "
        "ON CONFLICT (capcode) DO NOTHING");
    for (const OwnCapcode& c : own) {
        claim->start().bind(1, c.capcode).bind(2, batchId).bind(3, *unit).bind(4, now).run();
        if (std::string holder = otherHolder(db, batchId, *unit, c.capcode); !holder.empty())
            allocation.conflicts.push_back({c.slot, c.capcode, std::move(holder)});
    }
    std::sort(allocation.conflicts.begin(), allocation.conflicts.end(),
              [](const auto& a, const auto& b) { return a.slot < b.slot; });
    if (request.unique && !allocation.conflicts.empty()) {
        allocation.unit.reset();
        return allocation;  // rolled back: neither the unit nor a claim is taken
    }
    transaction.commit();
    return allocation;
}

std::optional<AllocatedUnit> ProductionRecord::releaseUnit(std::int64_t batchId, int unit) {
    SqlConnection& db = impl_->db;
    Transaction transaction(db);
    auto held = db.prepare(
        "SELECT holder, pid, time FROM batch_units WHERE batch_id = ? AND unit_number = ? AND state = " + kAllocated);
    if (!held->start().bind(1, batchId).bind(2, unit).step()) return std::nullopt;
    const AllocatedUnit holder{batchId, unit, held->text(0), held->optionalInteger(1), held->text(2)};
    // Only while that bench still holds it: it may have finished it meanwhile.
    auto release = db.prepare("UPDATE batch_units SET state = " + quoted(unit_state::released) +
                              ", time = ? WHERE batch_id = ? AND unit_number = ? AND state = " + kAllocated +
                              " AND holder = ? AND time = ? RETURNING unit_number");
    release->start().bind(1, utcNow()).bind(2, batchId).bind(3, unit).bind(4, holder.host).bind(5, holder.time);
    if (!release->step()) return std::nullopt;
    release->run();
    transaction.commit();
    return holder;
}

int ProductionRecord::releaseAbandoned() {
    int released = 0;
    for (const AllocatedUnit& unit : allocatedUnits()) {
        if (unit.host != currentHostName() || processRuns(unit.pid)) continue;
        SqlConnection& db = impl_->db;
        Transaction transaction(db);
        auto release = db.prepare("UPDATE batch_units SET state = " + quoted(unit_state::released) +
                                  ", time = ? WHERE batch_id = ? AND unit_number = ? AND state = " + kAllocated +
                                  " AND holder = ? AND pid = ?");
        release->start().bind(1, utcNow()).bind(2, unit.batchId).bind(3, unit.unit).bind(4, unit.host);
        release->bindOptional(5, unit.pid).run();
        transaction.commit();
        ++released;
    }
    return released;
}

std::vector<AllocatedUnit> ProductionRecord::allocatedUnits(std::optional<std::int64_t> batchId) const {
    auto select = impl_->db.prepare(
        "SELECT batch_id, unit_number, holder, pid, time FROM batch_units WHERE state = " + kAllocated +
        (batchId ? " AND batch_id = ?" : "") + " ORDER BY batch_id, unit_number");
    select->start();
    if (batchId) select->bind(1, *batchId);
    std::vector<AllocatedUnit> units;
    while (select->step())
        units.push_back({select->integer(0), static_cast<int>(select->integer(1)), select->text(2),
                         select->optionalInteger(3), select->text(4)});
    return units;
}

}  // namespace pagerprog
