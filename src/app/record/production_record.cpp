#include "app/record/production_record.h"

#include <system_error>

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

std::int64_t ProductionRecord::add(const UnitRecord& unit) {
    Impl& d = *impl_;
    StoredUnit row{0, unit, false};
    if (row.unit.time.empty()) row.unit.time = utcNow();
    WriteTransaction transaction(d.db);
    Statement& insert = d.insertUnit.start();
    int parameter = 0;
    for (const UnitColumn* column : storedColumns()) {
        if (column->type != SqlType::RowId) insert.bindValue(++parameter, column->access.get(row));
    }
    insert.run();
    const std::int64_t id = d.db.lastInsertId();

    for (int slot = 0; slot < kRecordSlots; ++slot) {
        const SlotCapcode& s = unit.capcodes[static_cast<std::size_t>(slot)];
        d.insertSlot.start().bind(1, id).bind(2, slot + 1).bind(3, s.capcode).bind(4, s.enabled ? 1 : 0).run();
    }
    for (std::size_t line = 0; line < unit.statusLog.size(); ++line) {
        d.insertLogLine.start().bind(1, id).bind(2, std::int64_t(line + 1)).bind(3, unit.statusLog[line]).run();
    }
    if (unit.previousImage) d.insertImage.start().bind(1, id).bindBlob(2, *unit.previousImage).run();
    transaction.commit();
    return id;
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
        .run();
    const std::int64_t id = d.db.lastInsertId();
    transaction.commit();
    return id;
}

}  // namespace pagerprog
