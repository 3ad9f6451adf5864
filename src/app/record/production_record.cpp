#include "app/record/production_record.h"

#include <system_error>

#include "app/record/data_home.h"
#include "app/record/production_record_impl.h"
#include "app/record/record_schema.h"
#include "app/record/record_time.h"

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

}  // namespace

RecordDatabase::RecordDatabase(const std::filesystem::path& file, const RecordOpenOptions& options)
    : Database(withFolder(file, options.readOnly), options.readOnly, options.busyTimeoutMs) {
    if (options.readOnly) {
        requireCurrentSchema(*this);
        return;
    }
    // What the file is decides whether it is touched at all, its journal mode included.
    const int version = checkRecord(*this);
    // WAL: a commit appends to the log instead of rewriting pages, a reader (the log
    // dialog) never blocks the writer, and a killed process leaves every committed unit.
    if (const std::string mode = queryText("PRAGMA journal_mode = WAL"); mode != "wal")
        damaged("it cannot keep a write-ahead log (journal mode " + mode + ")");
    // FULL syncs the log at every commit, so a unit survives a power cut too, not only a
    // killed program (NORMAL's promise). It costs about one disk flush per unit, small
    // beside the seconds a pager takes to program; record_bench measures both.
    exec(options.flushEachUnit ? "PRAGMA synchronous = FULL" : "PRAGMA synchronous = NORMAL");
    exec("PRAGMA foreign_keys = ON");
    migrateRecord(*this, version);
}

ProductionRecord::ProductionRecord(const std::filesystem::path& file, RecordOpenOptions options)
    : impl_(std::make_unique<Impl>(file, options)) {}

ProductionRecord::~ProductionRecord() = default;

const std::filesystem::path& ProductionRecord::path() const { return impl_->db.path(); }

std::int64_t ProductionRecord::Impl::insertRow(const UnitRecord& unit) {
    StoredUnit row{0, unit, false};
    if (row.unit.time.empty()) row.unit.time = utcNow();
    if (row.unit.uid.empty()) row.unit.uid = newUnitUid();
    Statement& insert = insertUnit.start();
    int parameter = 0;
    for (const UnitColumn* column : storedColumns()) {
        if (column->type != SqlType::RowId) insert.bindValue(++parameter, column->access.get(row));
    }
    insert.run();
    const std::int64_t id = db.lastInsertId();
    for (int slot = 0; slot < kRecordSlots; ++slot) {
        const SlotCapcode& s = unit.capcodes[static_cast<std::size_t>(slot)];
        insertSlot.start().bind(1, id).bind(2, slot + 1).bind(3, s.capcode).bind(4, s.enabled ? 1 : 0).run();
    }
    if (unit.previousImage) insertImage.start().bind(1, id).bindBlob(2, *unit.previousImage).run();
    if (unit.writtenImage) insertWrittenImage.start().bind(1, id).bindBlob(2, *unit.writtenImage).run();
    return id;
}

void ProductionRecord::Impl::insertLog(std::int64_t id, const std::vector<std::string>& lines) {
    for (std::size_t line = 0; line < lines.size(); ++line)
        insertLogLine.start().bind(1, id).bind(2, std::int64_t(line + 1)).bind(3, lines[line]).run();
}

std::int64_t ProductionRecord::add(const UnitRecord& unit) {
    WriteTransaction transaction(impl_->db);
    const std::int64_t id = impl_->insertRow(unit);
    impl_->insertLog(id, unit.statusLog);
    transaction.commit();
    return id;
}

std::int64_t ProductionRecord::begin(const UnitRecord& unit) {
    WriteTransaction transaction(impl_->db);
    const std::int64_t id = impl_->insertRow(unit);
    transaction.commit();
    return id;
}

void ProductionRecord::Impl::insertOutcomeRow(std::int64_t id, const UnitRecord& unit) {
    const StoredUnit row{id, unit, false};
    Statement& insert = insertOutcome.start().bind(1, id).bind(2, utcNow());
    int parameter = 2;
    for (const UnitColumn* column : storedColumns()) {
        if (column->completed) insert.bindValue(++parameter, column->access.get(row));
    }
    insert.run();
}

void ProductionRecord::complete(std::int64_t id, const UnitRecord& unit) {
    WriteTransaction transaction(impl_->db);
    impl_->insertOutcomeRow(id, unit);
    impl_->insertLog(id, unit.statusLog);
    transaction.commit();
}

int ProductionRecord::settleInterrupted() {
    Impl& d = *impl_;
    Statement open(d.db, "SELECT u.id, u.pid FROM " + std::string(kUnitsWithOutcomes) + " WHERE " +
                             std::string(kUnitOutcome) + " = ? AND u.host = ?");
    std::vector<std::int64_t> gone;
    for (open.start().bind(1, outcome::inProgress).bind(2, currentHostName()); open.step();)
        if (!processRuns(open.isNull(1) ? std::nullopt : std::optional(open.integer(1))))
            gone.push_back(open.integer(0));
    if (gone.empty()) return 0;
    UnitRecord ended;
    ended.outcome = outcome::interrupted;
    WriteTransaction transaction(d.db);
    for (const std::int64_t id : gone) d.insertOutcomeRow(id, ended);
    transaction.commit();
    return static_cast<int>(gone.size());
}

std::int64_t ProductionRecord::startBatch(const BatchStart& batch) {
    Impl& d = *impl_;
    WriteTransaction transaction(d.db);
    d.insertBatch.start()
        .bind(1, batch.time.empty() ? utcNow() : batch.time)
        .bind(2, batch.settingsPath)
        .bind(3, batch.settingsSha256)
        .bind(4, batch.countAsked)
        .bind(5, capcodeSourceName(batch.capcodeSource))
        .bind(6, batch.csvPath)
        .bindOptional(7, batch.steps)
        .bindOptional(8, batch.edits)
        .bind(9, batch.csvSha256)
        .run();
    const std::int64_t id = d.db.lastInsertId();
    transaction.commit();
    return id;
}

}  // namespace pagerprog
