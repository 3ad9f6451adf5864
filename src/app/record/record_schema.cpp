#include "app/record/record_schema.h"

#include <iterator>
#include <set>
#include <string>

#include "app/record/record_error.h"
#include "app/record/sql_dialect.h"
#include "app/record/sqlite_database.h"
#include "app/record/unit_columns.h"

namespace pagerprog {

namespace {

// Version 1: one row per attempt. The capcodes and the status log are rows of their own
// (a capcode index over one column answers "any slot"; the lines stay exact); the
// previous image has its own table so that scans of the units never read it. The
// differences of a failed verify are one blob of 4 bytes each: address high, address
// low, expected byte, read byte.
constexpr const char* kVersion1 = R"sql(
CREATE TABLE units (
    id INTEGER PRIMARY KEY,
    time TEXT NOT NULL,
    operation TEXT NOT NULL,
    program_version TEXT NOT NULL,
    user TEXT NOT NULL,
    host TEXT NOT NULL,
    port TEXT NOT NULL,
    vid_pid TEXT NOT NULL,
    settings_path TEXT NOT NULL,
    settings_sha256 TEXT NOT NULL,
    image_sha256 TEXT NOT NULL,
    frequency TEXT NOT NULL,
    customer TEXT NOT NULL,
    revision TEXT NOT NULL,
    outcome TEXT NOT NULL,
    differences BLOB NOT NULL,
    duration_ms INTEGER NOT NULL
);
CREATE INDEX units_by_time ON units (time);
CREATE TABLE unit_slots (
    unit_id INTEGER NOT NULL REFERENCES units (id),
    slot INTEGER NOT NULL,
    capcode INTEGER NOT NULL,
    enabled INTEGER NOT NULL,
    PRIMARY KEY (unit_id, slot)
) WITHOUT ROWID;
CREATE INDEX unit_slots_by_capcode ON unit_slots (capcode, unit_id);
CREATE TABLE unit_log (
    unit_id INTEGER NOT NULL REFERENCES units (id),
    line_no INTEGER NOT NULL,
    line TEXT NOT NULL,
    PRIMARY KEY (unit_id, line_no)
) WITHOUT ROWID;
CREATE TABLE unit_images (
    unit_id INTEGER PRIMARY KEY REFERENCES units (id),
    image BLOB NOT NULL
);
)sql";

// Version 2: batches, and each unit's place in its batch.
constexpr const char* kVersion2 = R"sql(
CREATE TABLE batches (
    id INTEGER PRIMARY KEY,
    time TEXT NOT NULL,
    settings_path TEXT NOT NULL,
    settings_sha256 TEXT NOT NULL,
    count_asked INTEGER NOT NULL,
    capcode_source TEXT NOT NULL,
    csv_path TEXT NOT NULL
);
ALTER TABLE units ADD COLUMN batch_id INTEGER REFERENCES batches (id);
ALTER TABLE units ADD COLUMN unit_number INTEGER;
ALTER TABLE units ADD COLUMN csv_row INTEGER;
CREATE INDEX units_by_batch ON units (batch_id, unit_number);
)sql";

// Version 3: the capcode steps a batch was started with, so that resuming it steps the same
// way (NULL for batches started before).
constexpr const char* kVersion3 = R"sql(
ALTER TABLE batches ADD COLUMN steps TEXT;
)sql";

// Version 4: a write is recorded before its first byte goes to the pager, with the image it
// sends, so that a pager it left half-written is known as that pager (its end comes in
// unit_outcomes, so that no recorded unit is ever changed), each unit has an id of its own
// making, the process that wrote it, the programmer and the pager's serial and operator; a
// batch keeps its edits and its capcode file's hash; the units of shared batches and the
// capcodes claimed by units have tables of their own.
constexpr const char* kVersion4 = R"sql(
ALTER TABLE units ADD COLUMN uid TEXT;
ALTER TABLE units ADD COLUMN pid INTEGER;
ALTER TABLE units ADD COLUMN programmer TEXT;
ALTER TABLE units ADD COLUMN programmer_serial TEXT;
ALTER TABLE units ADD COLUMN serial TEXT;
ALTER TABLE units ADD COLUMN operator TEXT;
ALTER TABLE units ADD COLUMN origin TEXT;
ALTER TABLE units ADD COLUMN origin_row INTEGER;
ALTER TABLE units ADD COLUMN hook TEXT;
CREATE UNIQUE INDEX units_by_uid ON units (uid);
CREATE INDEX units_by_serial ON units (serial);
CREATE TABLE unit_written_images (
    unit_id INTEGER PRIMARY KEY REFERENCES units (id),
    image BLOB NOT NULL
);
CREATE TABLE unit_outcomes (
    unit_id INTEGER PRIMARY KEY REFERENCES units (id),
    time TEXT NOT NULL,
    outcome TEXT NOT NULL,
    image_sha256 TEXT NOT NULL,
    duration_ms INTEGER NOT NULL,
    differences BLOB NOT NULL
);
ALTER TABLE batches ADD COLUMN edits TEXT;
ALTER TABLE batches ADD COLUMN csv_sha256 TEXT;
ALTER TABLE batches ADD COLUMN uid TEXT;
CREATE UNIQUE INDEX batches_by_uid ON batches (uid);
)sql";

std::string step(int version) {
    switch (version) {
        case 1: return kVersion1;
        case 2: return kVersion2;
        case 3: return kVersion3;
        case 4: return kVersion4 + allocationTablesSql(kSqliteDialect);
    }
    return {};
}
static_assert(kRecordSchemaVersion == 4, "a new schema version needs its step");

// The type names of `dialect` in place of {integer} and {text}.
std::string spelled(std::string sql, const SqlDialect& dialect) {
    for (const auto& [word, type] : {std::pair{std::string_view("{integer}"), dialect.integer},
                                     std::pair{std::string_view("{text}"), dialect.text}}) {
        for (std::size_t at; (at = sql.find(word)) != std::string::npos;) sql.replace(at, word.size(), type);
    }
    return sql;
}

std::string recordName(const Database& db) { return "the production record " + db.path().string(); }

[[noreturn]] void newer(const Database& db, int version) {
    throw RecordError(RecordError::Kind::NewerSchema, recordName(db) + " was written by a newer pagerprog (schema " +
                                                          std::to_string(version) + ", this one knows " +
                                                          std::to_string(kRecordSchemaVersion) + ")");
}

// pagerprog neither moves into another program's database nor reads one as its own: a
// version 0 file must be empty, a later one must have the units table of its version.
void requireRecordTables(Database& db, int version) {
    const auto foreign = [&] {
        throw RecordError(RecordError::Kind::CannotOpen,
                          recordName(db) + " is another program's database, not a production record");
    };
    if (version == 0) {
        if (db.queryText("SELECT count(*) FROM sqlite_schema") != "0") foreign();
        return;
    }
    std::set<std::string> found;
    Statement columns(db, "SELECT name FROM pragma_table_info('units')");
    for (columns.start(); columns.step();) found.insert(columns.text(0));
    if (found.empty()) foreign();
    for (const UnitColumn* column : storedColumns(version)) {
        if (!found.contains(std::string(column->sqlName))) {
            db.damaged("its units table has no column " + std::string(column->sqlName) + " (schema " +
                       std::to_string(version) + ")");
        }
    }
}

int schemaVersion(Database& db) { return std::stoi(db.queryText("PRAGMA user_version")); }

}  // namespace

// A batch's units as benches take them, and the own capcodes each unit claimed. A unit's
// row changes as it goes from bench to bench; a claim stays with its unit for good.
std::string allocationTablesSql(const SqlDialect& dialect) {
    return spelled(R"sql(
CREATE TABLE batch_units (
    batch_id {integer} NOT NULL REFERENCES batches (id),
    unit_number {integer} NOT NULL,
    state {text} NOT NULL,
    holder {text} NOT NULL,
    pid {integer},
    on_fail {text} NOT NULL,
    time {text} NOT NULL,
    PRIMARY KEY (batch_id, unit_number)
);
CREATE INDEX batch_units_by_holder ON batch_units (holder, state);
CREATE TABLE capcode_claims (
    capcode {integer} PRIMARY KEY,
    batch_id {integer} NOT NULL REFERENCES batches (id),
    unit_number {integer} NOT NULL,
    time {text} NOT NULL
);
)sql",
                   dialect);
}

int checkRecord(Database& db) {
    const int version = schemaVersion(db);
    if (version > kRecordSchemaVersion) newer(db, version);
    if (version < 0) db.damaged("its schema version " + std::to_string(version) + " is none pagerprog ever wrote");
    requireRecordTables(db, version);
    return version;
}

void migrateRecord(Database& db, int version) {
    if (version == kRecordSchemaVersion) return;
    Transaction transaction(db);
    // Another pagerprog may have migrated it while this one waited for the lock.
    for (int done = checkRecord(db); done < kRecordSchemaVersion; ++done) db.exec(step(done + 1));
    db.exec("PRAGMA user_version = " + std::to_string(kRecordSchemaVersion));
    transaction.commit();
}

void requireCurrentSchema(Database& db) {
    const int version = checkRecord(db);
    if (version == kRecordSchemaVersion) return;
    if (version == 0) throw RecordError(RecordError::Kind::CannotOpen, recordName(db) + " holds no record yet");
    throw RecordError(RecordError::Kind::OlderSchema, recordName(db) + " was written by an older pagerprog (schema " +
                                                          std::to_string(version) +
                                                          "); open it once for writing to bring it up to date");
}

}  // namespace pagerprog
