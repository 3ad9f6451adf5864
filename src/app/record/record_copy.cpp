// Copying a record into another: a bench's file into the shop's server.
#include <map>

#include "app/record/data_home.h"
#include "app/record/production_record.h"
#include "app/record/production_record_impl.h"
#include "app/record/sha256.h"

namespace pagerprog {

namespace {

// Units go over this many to a transaction.
constexpr int kUnitsAtOnce = 200;

// The uid a unit or batch made before the record kept uids gets in a copy: the same at
// every copy of the same record, so that a second copy finds it there.
std::string copiedUid(const std::string& origin, const char* what, std::int64_t id) {
    const std::string name = origin + " " + what + " " + std::to_string(id);
    return "copied-" + sha256Hex({reinterpret_cast<const std::uint8_t*>(name.data()), name.size()}).substr(0, 32);
}

}  // namespace

std::int64_t ProductionRecord::copyFrom(const ProductionRecord& source,
                                        const std::function<void(std::int64_t)>& progress) {
    Impl& to = *impl_;
    Impl& from = *source.impl_;
    // The bench and record the units come from: a file is named with its host.
    const RecordLocation& where = source.location();
    const std::string origin =
        where.onServer()
            ? where.shown()
            : currentHostName() + ":" + std::filesystem::absolute(where.path()).lexically_normal().string();

    std::map<std::int64_t, std::int64_t> batches;
    std::vector<std::int64_t> batchIds;
    auto batchRows = from.db.prepare("SELECT id FROM batches ORDER BY id");
    for (batchRows->start(); batchRows->step();) batchIds.push_back(batchRows->integer(0));
    {
        Transaction transaction(to.db);
        for (const std::int64_t id : batchIds) {
            BatchStart start = source.batchState(id)->start;
            if (start.uid.empty()) start.uid = copiedUid(origin, "batch", id);
            batches[id] = to.insertBatch(start);
        }
        transaction.commit();
    }

    std::int64_t looked = 0, copied = 0;
    auto page = from.db.prepare(selectUnits() + " WHERE u.id > ? ORDER BY u.id LIMIT " + std::to_string(kUnitsAtOnce));
    for (std::int64_t after = 0;;) {
        const std::vector<StoredUnit> units = from.readUnits(page->start().bind(1, after));
        if (units.empty()) break;
        Transaction transaction(to.db);
        for (const StoredUnit& stored : units) {
            UnitRecord unit = stored.unit;
            if (unit.origin.empty()) {
                unit.origin = origin;
                unit.originRow = stored.id;
            }
            if (unit.uid.empty()) unit.uid = copiedUid(origin, "unit", stored.id);
            if (unit.batchId) unit.batchId = batches.at(*unit.batchId);
            if (stored.previousImageKept) unit.previousImage = source.previousImage(stored.id);
            unit.writtenImage = source.writtenImage(stored.id);
            if (const auto [id, added] = to.insertRow(unit); added) {
                to.insertLog(id, unit.statusLog);
                ++copied;
            }
            after = stored.id;
        }
        transaction.commit();
        looked += static_cast<std::int64_t>(units.size());
        if (progress) progress(looked);
    }
    return copied;
}

}  // namespace pagerprog
