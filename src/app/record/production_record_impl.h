// What the production record's two source files share: the connection, its prepared
// statements and how a unit is read from a row.
#pragma once

#include <string>

#include "app/record/production_record.h"
#include "app/record/sqlite_database.h"
#include "app/record/unit_columns.h"

namespace pagerprog {

// "SELECT" and what every unit query selects of `units u`, as readUnit() takes it: the
// stored columns, then whether a previous image is kept.
inline std::string selectUnits() {
    return "SELECT " + selectedUnitColumns("u") + ", EXISTS (SELECT 1 FROM unit_images i WHERE i.unit_id = u.id)";
}

// The connection, set up and brought up to date before any statement is prepared on it.
struct RecordDatabase : Database {
    RecordDatabase(const std::filesystem::path& file, const RecordOpenOptions& options);
};

struct ProductionRecord::Impl {
    Impl(const std::filesystem::path& file, const RecordOpenOptions& options) : db(file, options) {}

    // A row of selectUnits(), with its capcodes and status log.
    StoredUnit readUnit(const Statement& row);

    RecordDatabase db;
    Statement insertUnit{db, insertUnitSql(kSqliteDialect)};
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
