// The production record's reading side: unit queries, kept images, batch state and the
// capcode check.
#include <algorithm>
#include <map>
#include <string>

#include "app/record/data_home.h"
#include "app/record/production_record.h"
#include "app/record/production_record_impl.h"
#include "app/record/record_schema.h"

namespace pagerprog {

namespace {

constexpr const char* kNewestFirst = " ORDER BY u.time DESC, u.id DESC";
// A write or a restore that verified: the capcodes it wrote went into a pager.
const std::string kVerifiedWrite =
    "u.operation IN ('write', 'restore') AND " + std::string(kUnitOutcome) + " = '" + std::string(outcome::ok) + "'";

// The capcodes and status logs of the units read are fetched this many units at a time.
constexpr std::size_t kUnitsAtOnce = 100;

std::string inList(std::size_t count) {
    std::string list = "(?";
    for (std::size_t i = 1; i < count; ++i) list += ", ?";
    return list + ")";
}

}  // namespace

std::vector<StoredUnit> ProductionRecord::Impl::readUnits(SqlStatement& rows) {
    std::vector<StoredUnit> units;
    while (rows.step()) {
        StoredUnit& stored = units.emplace_back();
        int at = 0;
        for (const UnitColumn* column : storedColumns()) {
            if (!column->access.set(stored, rows.value(at++, column->type)))
                db.damaged("unit " + std::to_string(stored.id) +
                           " holds a value pagerprog never writes in its column " + std::string(column->sqlName));
        }
        stored.previousImageKept = rows.integer(at) != 0;
    }
    // The slots and the status-log lines of many units in one query each.
    static const std::string slotsSql =
        "SELECT unit_id, slot, capcode, enabled FROM unit_slots WHERE unit_id IN " + inList(kUnitsAtOnce);
    static const std::string logSql =
        "SELECT unit_id, line FROM unit_log WHERE unit_id IN " + inList(kUnitsAtOnce) + " ORDER BY unit_id, line_no";
    auto slots = db.prepare(slotsSql), log = db.prepare(logSql);
    for (std::size_t first = 0; first < units.size(); first += kUnitsAtOnce) {
        std::map<std::int64_t, StoredUnit*> byId;
        for (std::size_t i = first; i < std::min(units.size(), first + kUnitsAtOnce); ++i)
            byId[units[i].id] = &units[i];
        slots->start();
        log->start();
        for (std::size_t i = 0; i < kUnitsAtOnce; ++i) {
            // The last unit stands in for the rest of a short list.
            const std::int64_t id = units[std::min(units.size() - 1, first + i)].id;
            slots->bind(static_cast<int>(i + 1), id);
            log->bind(static_cast<int>(i + 1), id);
        }
        while (slots->step()) {
            const std::int64_t id = slots->integer(0), slot = slots->integer(1);
            if (slot < 1 || slot > kRecordSlots)
                db.damaged("unit " + std::to_string(id) + " has a slot " + std::to_string(slot));
            byId.at(id)->unit.capcodes[static_cast<std::size_t>(slot - 1)] = {
                static_cast<std::uint32_t>(slots->integer(2)), slots->integer(3) != 0};
        }
        while (log->step()) byId.at(log->integer(0))->unit.statusLog.push_back(log->text(1));
    }
    for (StoredUnit& stored : units) {
        UnitRecord& u = stored.unit;
        // A write whose program on this host is gone will never end: it was interrupted.
        if (u.outcome == outcome::inProgress && u.host == currentHostName() && !processRuns(u.pid))
            u.outcome = outcome::interrupted;
    }
    return units;
}

std::vector<StoredUnit> ProductionRecord::find(const RecordQuery& query) const {
    std::string sql = selectUnits() + " WHERE 1 = 1";
    if (query.batchId) sql += " AND u.batch_id = ?";
    if (query.since) sql += " AND u.time >= ?";
    if (query.until) sql += " AND u.time < ?";
    if (query.serial) sql += " AND u.serial = ?";
    if (query.operation) sql += " AND u.operation = ?";
    if (query.capcode) sql += " AND u.id IN (SELECT unit_id FROM unit_slots WHERE capcode = ?)";
    sql += kNewestFirst;
    if (query.limit) sql += " LIMIT ?";

    auto select = impl_->db.prepare(sql);
    select->start();
    int parameter = 0;
    if (query.batchId) select->bind(++parameter, *query.batchId);
    if (query.since) select->bind(++parameter, *query.since);
    if (query.until) select->bind(++parameter, *query.until);
    if (query.serial) select->bind(++parameter, *query.serial);
    if (query.operation) select->bind(++parameter, operationName(*query.operation));
    if (query.capcode) select->bind(++parameter, *query.capcode);
    if (query.limit) select->bind(++parameter, *query.limit);
    return impl_->readUnits(*select);
}

std::optional<StoredUnit> ProductionRecord::unit(std::int64_t id) const {
    auto select = impl_->db.prepare(selectUnits() + " WHERE u.id = ?");
    auto units = impl_->readUnits(select->start().bind(1, id));
    if (units.empty()) return std::nullopt;
    return std::move(units.front());
}

std::optional<StoredUnit> ProductionRecord::unitWithUid(const std::string& uid) const {
    auto select = impl_->db.prepare(selectUnits() + " WHERE u.uid = ?");
    auto units = impl_->readUnits(select->start().bind(1, uid));
    if (units.empty()) return std::nullopt;
    return std::move(units.front());
}

std::optional<Image> ProductionRecord::Impl::image(std::string_view table, std::int64_t id) {
    auto select = db.prepare("SELECT image FROM " + std::string(table) + " WHERE unit_id = ?");
    if (!select->start().bind(1, id).step()) return std::nullopt;
    const std::vector<std::uint8_t> bytes = select->blob(0);
    if (bytes.size() != kImageSize)
        db.damaged("the image kept for unit " + std::to_string(id) + " has " + std::to_string(bytes.size()) + " bytes");
    Image image;
    std::copy(bytes.begin(), bytes.end(), image.begin());
    return image;
}

std::optional<Image> ProductionRecord::previousImage(std::int64_t id) const { return impl_->image("unit_images", id); }

std::optional<Image> ProductionRecord::writtenImage(std::int64_t id) const {
    return impl_->image("unit_written_images", id);
}

std::optional<BatchState> ProductionRecord::batchState(std::int64_t batchId) const {
    SqlConnection& db = impl_->db;
    auto batch = db.prepare(
        "SELECT time, settings_path, settings_sha256, count_asked, capcode_source, csv_path, steps, edits, csv_sha256, "
        "uid FROM batches WHERE id = ?");
    if (!batch->start().bind(1, batchId).step()) return std::nullopt;
    BatchState state;
    state.id = batchId;
    BatchStart& start = state.start;
    start.time = batch->text(0);
    start.settingsPath = batch->text(1);
    start.settingsSha256 = batch->text(2);
    start.countAsked = static_cast<int>(batch->integer(3));
    const auto source = capcodeSourceFromName(batch->text(4));
    if (!source) db.damaged("batch " + std::to_string(batchId) + " has the unknown capcode source " + batch->text(4));
    start.capcodeSource = *source;
    start.csvPath = batch->text(5);
    start.steps = batch->optionalText(6);
    start.edits = batch->optionalText(7);
    start.csvSha256 = batch->optionalText(8).value_or("");
    start.uid = batch->optionalText(9).value_or("");

    // A unit that failed and was tried again has several rows; the verified one counts.
    const std::string verified = "u.batch_id = ? AND " + kVerifiedWrite;
    auto count = db.prepare("SELECT count(DISTINCT u.unit_number) FROM " + std::string(kUnitsWithOutcomes) + " WHERE " +
                            verified);
    count->start().bind(1, batchId).step();
    state.verifiedUnits = static_cast<int>(count->integer(0));
    auto last = db.prepare(selectUnits() + " WHERE " + verified + " ORDER BY u.unit_number DESC, u.id DESC LIMIT 1");
    const auto units = impl_->readUnits(last->start().bind(1, batchId));
    if (!units.empty()) {
        const UnitRecord& unit = units.front().unit;
        state.nextUnit = unit.unitNumber.value_or(0) + 1;
        state.lastCapcodes = unit.capcodes;
        state.csvRow = unit.csvRow;
    }
    return state;
}

std::optional<StoredUnit> ProductionRecord::verifiedWithCapcode(std::uint32_t capcode) const {
    auto select = impl_->db.prepare(selectUnits() + " WHERE " + kVerifiedWrite +
                                    " AND u.id IN (SELECT unit_id FROM unit_slots WHERE capcode = ? AND enabled <> 0)" +
                                    kNewestFirst + " LIMIT 1");
    auto units = impl_->readUnits(select->start().bind(1, capcode));
    if (units.empty()) return std::nullopt;
    return std::move(units.front());
}

int ProductionRecord::schemaVersion() const { return kRecordSchemaVersion; }

std::int64_t ProductionRecord::unitCount() const {
    auto count = impl_->db.prepare("SELECT count(*) FROM units");
    count->start().step();
    return count->integer(0);
}

}  // namespace pagerprog
