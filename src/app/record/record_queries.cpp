// The production record's reading side: unit queries, kept images, batch state and the
// capcode check.
#include <string>

#include "app/record/data_home.h"
#include "app/record/production_record.h"
#include "app/record/production_record_impl.h"

namespace pagerprog {

namespace {

constexpr const char* kNewestFirst = " ORDER BY u.time DESC, u.id DESC";
// A write or a restore that verified: the capcodes it wrote went into a pager.
const std::string kVerifiedWrite =
    "u.operation IN ('write', 'restore') AND " + std::string(kUnitOutcome) + " = '" + std::string(outcome::ok) + "'";

}  // namespace

StoredUnit ProductionRecord::Impl::readUnit(const Statement& row) {
    StoredUnit stored;
    int at = 0;
    for (const UnitColumn* column : storedColumns()) {
        if (!column->access.set(stored, row.value(at++, column->type)))
            db.damaged("unit " + std::to_string(stored.id) + " holds a value pagerprog never writes in its column " +
                       std::string(column->sqlName));
    }
    stored.previousImageKept = row.integer(at) != 0;
    UnitRecord& u = stored.unit;

    selectSlots.start().bind(1, stored.id);
    while (selectSlots.step()) {
        const std::int64_t slot = selectSlots.integer(0);
        if (slot < 1 || slot > kRecordSlots)
            db.damaged("unit " + std::to_string(stored.id) + " has a slot " + std::to_string(slot));
        u.capcodes[static_cast<std::size_t>(slot - 1)] = {static_cast<std::uint32_t>(selectSlots.integer(1)),
                                                          selectSlots.integer(2) != 0};
    }
    selectLog.start().bind(1, stored.id);
    while (selectLog.step()) u.statusLog.push_back(selectLog.text(0));
    // A write whose program on this host is gone will never end: it was interrupted.
    if (u.outcome == outcome::inProgress && u.host == currentHostName() && !processRuns(u.pid))
        u.outcome = outcome::interrupted;
    return stored;
}

std::vector<StoredUnit> ProductionRecord::find(const RecordQuery& query) const {
    std::string sql = selectUnits() + " WHERE 1";
    if (query.batchId) sql += " AND u.batch_id = ?";
    if (query.since) sql += " AND u.time >= ?";
    if (query.until) sql += " AND u.time < ?";
    if (query.serial) sql += " AND u.serial = ?";
    if (query.operation) sql += " AND u.operation = ?";
    if (query.capcode) sql += " AND u.id IN (SELECT unit_id FROM unit_slots WHERE capcode = ?)";
    sql += kNewestFirst;
    if (query.limit) sql += " LIMIT ?";

    Statement select(impl_->db, sql);
    select.start();
    int parameter = 0;
    if (query.batchId) select.bind(++parameter, *query.batchId);
    if (query.since) select.bind(++parameter, *query.since);
    if (query.until) select.bind(++parameter, *query.until);
    if (query.serial) select.bind(++parameter, *query.serial);
    if (query.operation) select.bind(++parameter, operationName(*query.operation));
    if (query.capcode) select.bind(++parameter, *query.capcode);
    if (query.limit) select.bind(++parameter, *query.limit);
    std::vector<StoredUnit> units;
    while (select.step()) units.push_back(impl_->readUnit(select));
    return units;
}

std::optional<StoredUnit> ProductionRecord::unit(std::int64_t id) const {
    Statement select(impl_->db, selectUnits() + " WHERE u.id = ?");
    if (!select.start().bind(1, id).step()) return std::nullopt;
    return impl_->readUnit(select);
}

std::optional<Image> ProductionRecord::Impl::image(std::string_view table, std::int64_t id) {
    Statement select(db, "SELECT image FROM " + std::string(table) + " WHERE unit_id = ?");
    if (!select.start().bind(1, id).step()) return std::nullopt;
    const std::vector<std::uint8_t> bytes = select.blob(0);
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
    Database& db = impl_->db;
    Statement batch(db,
                    "SELECT time, settings_path, settings_sha256, count_asked, capcode_source, csv_path, steps, "
                    "edits, csv_sha256 FROM batches WHERE id = ?");
    if (!batch.start().bind(1, batchId).step()) return std::nullopt;
    BatchState state;
    state.id = batchId;
    BatchStart& start = state.start;
    start.time = batch.text(0);
    start.settingsPath = batch.text(1);
    start.settingsSha256 = batch.text(2);
    start.countAsked = static_cast<int>(batch.integer(3));
    const auto source = capcodeSourceFromName(batch.text(4));
    if (!source) db.damaged("batch " + std::to_string(batchId) + " has the unknown capcode source " + batch.text(4));
    start.capcodeSource = *source;
    start.csvPath = batch.text(5);
    start.steps = batch.optionalText(6);
    start.edits = batch.optionalText(7);
    start.csvSha256 = batch.optionalText(8).value_or("");

    // A unit that failed and was tried again has several rows; the verified one counts.
    const std::string verified = "u.batch_id = ? AND " + kVerifiedWrite;
    Statement count(
        db, "SELECT count(DISTINCT u.unit_number) FROM " + std::string(kUnitsWithOutcomes) + " WHERE " + verified);
    count.start().bind(1, batchId).step();
    state.verifiedUnits = static_cast<int>(count.integer(0));
    Statement last(db, selectUnits() + " WHERE " + verified + " ORDER BY u.unit_number DESC, u.id DESC LIMIT 1");
    if (last.start().bind(1, batchId).step()) {
        const StoredUnit unit = impl_->readUnit(last);
        state.nextUnit = unit.unit.unitNumber.value_or(0) + 1;
        state.lastCapcodes = unit.unit.capcodes;
        state.csvRow = unit.unit.csvRow;
    }
    return state;
}

std::optional<StoredUnit> ProductionRecord::verifiedWithCapcode(std::uint32_t capcode) const {
    Statement select(impl_->db, selectUnits() + " WHERE " + kVerifiedWrite +
                                    " AND u.id IN "
                                    "(SELECT unit_id FROM unit_slots WHERE capcode = ? AND enabled)" +
                                    kNewestFirst + " LIMIT 1");
    if (!select.start().bind(1, capcode).step()) return std::nullopt;
    return impl_->readUnit(select);
}

}  // namespace pagerprog
