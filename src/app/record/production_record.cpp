#include "app/record/production_record.h"

#include <system_error>

#include "app/record/data_home.h"
#include "app/record/production_record_impl.h"
#include "app/record/record_schema.h"
#include "app/record/record_time.h"
#include "app/record/sqlite_database.h"

namespace pagerprog {

namespace {

// Writing makes the folder first: the default record lives in a folder that a fresh
// account does not have yet.
const std::filesystem::path& withFolder(const std::filesystem::path& file, bool readOnly) {
    if (readOnly || !file.has_parent_path()) return file;
    std::error_code error;
    std::filesystem::create_directories(file.parent_path(), error);
    if (error) {
        throw RecordError(RecordError::Kind::CannotOpen, "the production record " + file.string() +
                                                             " cannot be made: its folder cannot be made (" +
                                                             error.message() + ")");
    }
    return file;
}

std::string slotsInsertSql() {
    std::string sql = "INSERT INTO unit_slots (unit_id, slot, capcode, enabled) VALUES ";
    for (int slot = 0; slot < kRecordSlots; ++slot) sql += slot ? ", (?, ?, ?, ?)" : "(?, ?, ?, ?)";
    return sql;
}

// A statement takes at most this many status-log lines, so that a unit's lines go in few.
constexpr std::size_t kLinesAtOnce = 16;

}  // namespace

std::unique_ptr<SqlConnection> openRecordFile(const std::filesystem::path& file, const RecordOpenOptions& options) {
    // SQLite would take an empty name for a temporary database that keeps nothing.
    if (file.empty())
        throw RecordError(RecordError::Kind::CannotOpen, "no file named (neither XDG_DATA_HOME nor HOME is set)");
    auto db = std::make_unique<Database>(withFolder(file, options.readOnly), options.readOnly, options.busyTimeoutMs);
    if (options.readOnly) {
        requireCurrentSchema(*db);
        return db;
    }
    // What the file is decides whether it is touched at all, its journal mode included.
    const int version = checkRecord(*db);
    // WAL: a commit appends to the log instead of rewriting pages, a reader (the log
    // dialog) never blocks the writer, and a killed process leaves every committed unit.
    if (const std::string mode = db->queryText("PRAGMA journal_mode = WAL"); mode != "wal")
        db->damaged("it cannot keep a write-ahead log (journal mode " + mode + ")");
    // FULL syncs the log at every commit, so a unit survives a power cut too, not only a
    // killed program (NORMAL's promise). It costs about one disk flush per unit, small
    // beside the seconds a pager takes to program; record_bench measures both.
    db->exec(options.flushEachUnit ? "PRAGMA synchronous = FULL" : "PRAGMA synchronous = NORMAL");
    db->exec("PRAGMA foreign_keys = ON");
    migrateRecord(*db, version);
    return db;
}

ProductionRecord::Impl::Impl(const RecordLocation& where, const RecordOpenOptions& options)
    : location(where),
      connection(where.onServer() ? openServerRecord(where, options) : openRecordFile(where.path(), options)),
      db(*connection),
      insertSlots(db.prepare(slotsInsertSql())),
      settleUnit(db.prepare("UPDATE batch_units SET state = CASE WHEN ? = '" + std::string(outcome::ok) + "' THEN '" +
                            std::string(unit_state::verified) + "' WHEN on_fail = 'skip' THEN '" +
                            std::string(unit_state::retired) + "' ELSE '" + std::string(unit_state::failed) +
                            "' END, time = ? WHERE batch_id = ? AND unit_number = ? AND state = '" +
                            std::string(unit_state::allocated) + "' AND holder = ? AND pid = ?")) {}

ProductionRecord::ProductionRecord(const RecordLocation& location, RecordOpenOptions options)
    : impl_(std::make_unique<Impl>(location, options)) {}

ProductionRecord::~ProductionRecord() = default;

const RecordLocation& ProductionRecord::location() const { return impl_->location; }

const std::string& ProductionRecord::name() const { return impl_->db.name(); }

std::pair<std::int64_t, bool> ProductionRecord::Impl::insertRow(const UnitRecord& unit) {
    StoredUnit row{0, unit, false};
    if (row.unit.time.empty()) row.unit.time = utcNow();
    if (row.unit.uid.empty()) row.unit.uid = newUnitUid();
    SqlStatement& insert = insertUnit->start();
    int parameter = 0;
    for (const UnitColumn* column : storedColumns()) {
        if (column->type != SqlType::RowId) insert.bindValue(++parameter, column->access.get(row));
    }
    if (!insert.step()) {
        // Sent before: the record has it.
        if (!unitIdOfUid->start().bind(1, row.unit.uid).step())
            db.damaged("unit " + row.unit.uid + " is neither added nor there");
        return {unitIdOfUid->integer(0), false};
    }
    const std::int64_t id = insert.integer(0);
    insert.run();
    SqlStatement& slots = insertSlots->start();
    for (int slot = 0; slot < kRecordSlots; ++slot) {
        const SlotCapcode& s = unit.capcodes[static_cast<std::size_t>(slot)];
        slots.bind(4 * slot + 1, id).bind(4 * slot + 2, slot + 1).bind(4 * slot + 3, s.capcode);
        slots.bind(4 * slot + 4, s.enabled ? 1 : 0);
    }
    slots.run();
    if (unit.previousImage) insertImage->start().bind(1, id).bindBlob(2, *unit.previousImage).run();
    if (unit.writtenImage) insertWrittenImage->start().bind(1, id).bindBlob(2, *unit.writtenImage).run();
    return {id, true};
}

void ProductionRecord::Impl::insertLog(std::int64_t id, const std::vector<std::string>& lines) {
    for (std::size_t first = 0; first < lines.size(); first += kLinesAtOnce) {
        const std::size_t count = std::min(kLinesAtOnce, lines.size() - first);
        auto& statement = insertLogLines[count];
        if (!statement) {
            std::string sql = "INSERT INTO unit_log (unit_id, line_no, line) VALUES (?, ?, ?)";
            for (std::size_t line = 1; line < count; ++line) sql += ", (?, ?, ?)";
            statement = db.prepare(sql);
        }
        SqlStatement& insert = statement->start();
        for (std::size_t line = 0; line < count; ++line) {
            const int at = static_cast<int>(3 * line);
            insert.bind(at + 1, id).bind(at + 2, std::int64_t(first + line + 1)).bind(at + 3, lines[first + line]);
        }
        insert.run();
    }
}

void ProductionRecord::Impl::settleBatchUnit(const UnitRecord& unit) {
    if (unit.operation != Operation::Write || !unit.batchId || !unit.unitNumber) return;
    settleUnit->start()
        .bind(1, unit.outcome)
        .bind(2, utcNow())
        .bind(3, *unit.batchId)
        .bind(4, *unit.unitNumber)
        .bind(5, unit.host)
        .bindOptional(6, unit.pid)
        .run();
}

std::int64_t ProductionRecord::add(const UnitRecord& unit) {
    Transaction transaction(impl_->db);
    const auto [id, added] = impl_->insertRow(unit);
    if (added) {
        impl_->insertLog(id, unit.statusLog);
        impl_->settleBatchUnit(unit);
    }
    transaction.commit();
    return id;
}

std::int64_t ProductionRecord::begin(const UnitRecord& unit) {
    Transaction transaction(impl_->db);
    const std::int64_t id = impl_->insertRow(unit).first;
    transaction.commit();
    return id;
}

void ProductionRecord::Impl::insertOutcomeRow(std::int64_t id, const UnitRecord& unit) {
    const StoredUnit row{id, unit, false};
    SqlStatement& insert = insertOutcome->start().bind(1, id).bind(2, utcNow());
    int parameter = 2;
    for (const UnitColumn* column : storedColumns()) {
        if (column->completed) insert.bindValue(++parameter, column->access.get(row));
    }
    insert.run();
}

void ProductionRecord::complete(std::int64_t id, const UnitRecord& unit) {
    Transaction transaction(impl_->db);
    impl_->insertOutcomeRow(id, unit);
    impl_->insertLog(id, unit.statusLog);
    impl_->settleBatchUnit(unit);
    transaction.commit();
}

bool ProductionRecord::push(const UnitRecord& unit) {
    Impl& d = *impl_;
    Transaction transaction(d.db);
    auto begun = d.db.prepare("SELECT u.id, CASE WHEN o.unit_id IS NULL THEN 0 ELSE 1 END FROM " +
                              std::string(kUnitsWithOutcomes) + " WHERE u.uid = ? AND u.outcome = ?");
    bool changed = false;
    if (begun->start().bind(1, unit.uid).bind(2, outcome::inProgress).step()) {
        const std::int64_t id = begun->integer(0);
        if (begun->integer(1) == 0 && unit.outcome != outcome::inProgress) {
            d.insertOutcomeRow(id, unit);
            d.insertLog(id, unit.statusLog);
            d.settleBatchUnit(unit);
            changed = true;
        }
    } else if (const auto [id, added] = d.insertRow(unit); added) {
        d.insertLog(id, unit.statusLog);
        d.settleBatchUnit(unit);
        changed = true;
    }
    transaction.commit();
    return changed;
}

int ProductionRecord::settleInterrupted() {
    Impl& d = *impl_;
    auto open = d.db.prepare("SELECT u.id, u.pid, u.batch_id, u.unit_number FROM " + std::string(kUnitsWithOutcomes) +
                             " WHERE " + std::string(kUnitOutcome) + " = ? AND u.host = ?");
    std::vector<std::pair<std::int64_t, UnitRecord>> gone;
    for (open->start().bind(1, outcome::inProgress).bind(2, currentHostName()); open->step();) {
        if (processRuns(open->optionalInteger(1))) continue;
        UnitRecord ended;
        ended.outcome = outcome::interrupted;
        ended.host = currentHostName();
        ended.pid = open->optionalInteger(1);
        ended.batchId = open->optionalInteger(2);
        if (const auto number = open->optionalInteger(3)) ended.unitNumber = static_cast<int>(*number);
        gone.emplace_back(open->integer(0), ended);
    }
    if (gone.empty()) return 0;
    Transaction transaction(d.db);
    for (const auto& [id, ended] : gone) {
        d.insertOutcomeRow(id, ended);
        d.settleBatchUnit(ended);
    }
    transaction.commit();
    return static_cast<int>(gone.size());
}

std::int64_t ProductionRecord::Impl::insertBatch(const BatchStart& batch) {
    auto insert = db.prepare(
        "INSERT INTO batches (time, settings_path, settings_sha256, count_asked, capcode_source, csv_path, steps, "
        "edits, csv_sha256, uid) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?) ON CONFLICT (uid) DO NOTHING RETURNING id");
    const std::string uid = batch.uid.empty() ? newUnitUid() : batch.uid;
    insert->start()
        .bind(1, batch.time.empty() ? utcNow() : batch.time)
        .bind(2, batch.settingsPath)
        .bind(3, batch.settingsSha256)
        .bind(4, batch.countAsked)
        .bind(5, capcodeSourceName(batch.capcodeSource))
        .bind(6, batch.csvPath)
        .bindOptional(7, batch.steps)
        .bindOptional(8, batch.edits)
        .bind(9, batch.csvSha256)
        .bind(10, uid);
    if (insert->step()) return insert->integer(0);
    auto known = db.prepare("SELECT id FROM batches WHERE uid = ?");
    if (!known->start().bind(1, uid).step()) db.damaged("batch " + uid + " is neither added nor there");
    return known->integer(0);
}

std::int64_t ProductionRecord::startBatch(const BatchStart& batch) {
    Transaction transaction(impl_->db);
    const std::int64_t id = impl_->insertBatch(batch);
    transaction.commit();
    return id;
}

}  // namespace pagerprog
