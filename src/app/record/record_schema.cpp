#include "app/record/record_schema.h"

#include <iterator>
#include <set>
#include <string>

#include "app/record/record_error.h"
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
CREATE TABLE batch_units (
    batch_id INTEGER NOT NULL REFERENCES batches (id),
    unit_number INTEGER NOT NULL,
    state TEXT NOT NULL,
    holder TEXT NOT NULL,
    time TEXT NOT NULL,
    PRIMARY KEY (batch_id, unit_number)
);
CREATE TABLE capcode_claims (
    capcode INTEGER PRIMARY KEY,
    batch_id INTEGER REFERENCES batches (id),
    unit_number INTEGER,
    time TEXT NOT NULL
);
)sql";

constexpr const char* kSteps[] = {kVersion1, kVersion2, kVersion3, kVersion4};
static_assert(std::size(kSteps) == kRecordSchemaVersion);

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

int checkRecord(Database& db) {
    const int version = schemaVersion(db);
    if (version > kRecordSchemaVersion) newer(db, version);
    if (version < 0) db.damaged("its schema version " + std::to_string(version) + " is none pagerprog ever wrote");
    requireRecordTables(db, version);
    return version;
}

void migrateRecord(Database& db, int version) {
    if (version == kRecordSchemaVersion) return;
    WriteTransaction transaction(db);
    // Another pagerprog may have migrated it while this one waited for the lock.
    for (int step = checkRecord(db); step < kRecordSchemaVersion; ++step) db.exec(kSteps[step]);
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
