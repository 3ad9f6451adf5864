// What the production record's two source files share: the connection, its prepared
// statements and how a unit is read from a row.
#pragma once

#include <string>

#include "app/record/production_record.h"
#include "app/record/sqlite_database.h"
#include "app/record/unit_columns.h"

namespace pagerprog {

// What every unit query selects, as readUnit() takes it: the stored columns, then whether a
// previous image is kept, from kUnitsWithOutcomes.
inline std::string selectUnits() {
    return "SELECT " + selectedUnitColumns() + ", EXISTS (SELECT 1 FROM unit_images i WHERE i.unit_id = u.id) FROM " +
           std::string(kUnitsWithOutcomes);
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
    // The unit's row with its slots and previous image, without its status log.
    std::int64_t insertRow(const UnitRecord& unit);
    void insertLog(std::int64_t id, const std::vector<std::string>& lines);
    void insertOutcomeRow(std::int64_t id, const UnitRecord& unit);

    Statement insertUnit{db, insertUnitSql(kSqliteDialect)};
    Statement insertOutcome{db, insertUnitOutcomeSql(kSqliteDialect)};
    Statement insertSlot{db, "INSERT INTO unit_slots (unit_id, slot, capcode, enabled) VALUES (?, ?, ?, ?)"};
    Statement insertLogLine{db, "INSERT INTO unit_log (unit_id, line_no, line) VALUES (?, ?, ?)"};
    Statement insertImage{db, "INSERT INTO unit_images (unit_id, image) VALUES (?, ?)"};
    Statement insertWrittenImage{db, "INSERT INTO unit_written_images (unit_id, image) VALUES (?, ?)"};
    std::optional<Image> image(std::string_view table, std::int64_t id);
    Statement insertBatch{db,
                          "INSERT INTO batches (time, settings_path, settings_sha256, count_asked, capcode_source, "
                          "csv_path, steps, edits, csv_sha256) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"};
    Statement selectSlots{db, "SELECT slot, capcode, enabled FROM unit_slots WHERE unit_id = ? ORDER BY slot"};
    Statement selectLog{db, "SELECT line FROM unit_log WHERE unit_id = ? ORDER BY line_no"};
};

}  // namespace pagerprog
