// What the production record's two source files share: the connection, its prepared
// statements and how a unit is read from a row.
#pragma once

#include "app/record/production_record.h"
#include "app/record/sqlite_database.h"

namespace pagerprog {

// The columns every unit query selects, in the order readUnit() takes them.
inline constexpr const char* kUnitColumns =
    "u.id, u.time, u.operation, u.program_version, u.user, u.host, u.port, u.vid_pid, u.settings_path, "
    "u.settings_sha256, u.image_sha256, u.frequency, u.customer, u.revision, u.outcome, u.differences, "
    "u.duration_ms, u.batch_id, u.unit_number, u.csv_row, "
    "EXISTS (SELECT 1 FROM unit_images i WHERE i.unit_id = u.id)";

// The connection, set up and brought up to date before any statement is prepared on it.
struct RecordDatabase : Database {
    RecordDatabase(const std::filesystem::path& file, const RecordOpenOptions& options);
};

struct ProductionRecord::Impl {
    Impl(const std::filesystem::path& file, const RecordOpenOptions& options) : db(file, options) {}

    // A row of kUnitColumns, with its capcodes and status log.
    StoredUnit readUnit(const Statement& row);

    RecordDatabase db;
    Statement insertUnit{db,
                         "INSERT INTO units (time, operation, program_version, user, host, port, vid_pid, "
                         "settings_path, settings_sha256, image_sha256, frequency, customer, revision, outcome, "
                         "differences, duration_ms, batch_id, unit_number, csv_row) "
                         "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"};
    Statement insertSlot{db, "INSERT INTO unit_slots (unit_id, slot, capcode, enabled) VALUES (?, ?, ?, ?)"};
    Statement insertLogLine{db, "INSERT INTO unit_log (unit_id, line_no, line) VALUES (?, ?, ?)"};
    Statement insertImage{db, "INSERT INTO unit_images (unit_id, image) VALUES (?, ?)"};
    Statement insertBatch{db,
                          "INSERT INTO batches (time, settings_path, settings_sha256, count_asked, capcode_source, "
                          "csv_path, steps) VALUES (?, ?, ?, ?, ?, ?, ?)"};
    Statement selectSlots{db, "SELECT slot, capcode, enabled FROM unit_slots WHERE unit_id = ? ORDER BY slot"};
    Statement selectLog{db, "SELECT line FROM unit_log WHERE unit_id = ? ORDER BY line_no"};
};

}  // namespace pagerprog
