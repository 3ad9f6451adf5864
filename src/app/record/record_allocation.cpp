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

// The unit to give this program, locked for this transaction: one it holds from an
// allocation whose answer never came (the connection broke at its commit), else one a
// failed pager or a bench left, lowest first.
std::optional<int> unitToTakeAgain(SqlConnection& db, std::int64_t batchId, const AllocationRequest& request,
                                   const std::string& host, std::int64_t pid) {
    auto own = db.prepare("SELECT unit_number FROM batch_units WHERE batch_id = ? AND state = " + kAllocated +
                          " AND holder = ? AND pid = ? ORDER BY unit_number");
    for (own->start().bind(1, batchId).bind(2, host).bind(3, pid); own->step();) {
        const int unit = static_cast<int>(own->integer(0));
        if (std::find(request.held.begin(), request.held.end(), unit) == request.held.end()) return unit;
    }
    auto left = db.prepare("SELECT unit_number FROM batch_units WHERE batch_id = ? AND state IN (" +
                           quoted(unit_state::failed) + ", " + quoted(unit_state::released) +
                           ") ORDER BY unit_number LIMIT 1" + std::string(db.dialect().lockSkippingLocked));
    if (left->start().bind(1, batchId).step()) return static_cast<int>(left->integer(0));
    return std::nullopt;
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
    // A new unit another bench took between this one's look and its insert is looked for again.
    while (true) {
        Transaction transaction(db);
        const std::string now = utcNow();
        const std::int64_t batchId = request.batchId ? request.batchId : impl_->insertBatch(*request.newBatch);
        std::optional<int> unit = unitToTakeAgain(db, batchId, request, host, pid);
        if (unit) {
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
        } else {
            auto highest = db.prepare("SELECT COALESCE(max(unit_number), 0) FROM batch_units WHERE batch_id = ?");
            highest->start().bind(1, batchId).step();
            const int next = std::max<int>(request.firstNewUnit, static_cast<int>(highest->integer(0)) + 1);
            if (request.lastUnit && next > *request.lastUnit) return {};  // a new batch is not kept either
            auto insert = db.prepare(
                "INSERT INTO batch_units (batch_id, unit_number, state, holder, pid, on_fail, time) VALUES (?, ?, " +
                kAllocated + ", ?, ?, ?, ?) ON CONFLICT (batch_id, unit_number) DO NOTHING RETURNING unit_number");
            insert->start().bind(1, batchId).bind(2, next).bind(3, host).bind(4, pid).bind(5, onFail);
            if (!insert->bind(6, now).step()) continue;
            insert->run();
            unit = next;
        }

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
