// What the production record's source files share: the connection, its prepared
// statements and how units are read from rows and written into them. Nothing here knows
// which SQL server holds the record.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "app/record/production_record.h"
#include "app/record/sql_connection.h"
#include "app/record/unit_columns.h"

namespace pagerprog {

// What every unit query selects, as readUnits() takes it: the stored columns, then whether a
// previous image is kept, from kUnitsWithOutcomes.
inline std::string selectUnits() {
    return "SELECT " + selectedUnitColumns() +
           ", CASE WHEN EXISTS (SELECT 1 FROM unit_images i WHERE i.unit_id = u.id) THEN 1 ELSE 0 END FROM " +
           std::string(kUnitsWithOutcomes);
}

// The record's connection, checked and brought up to date before any statement is prepared
// on it: a file (record_schema.h) or a server (server_schema.h).
std::unique_ptr<SqlConnection> openRecordFile(const std::filesystem::path& file, const RecordOpenOptions& options);
std::unique_ptr<SqlConnection> openServerRecord(const RecordLocation& location, const RecordOpenOptions& options);

struct ProductionRecord::Impl {
    Impl(const RecordLocation& location, const RecordOpenOptions& options);

    // The rows of a statement that selects selectUnits(), with their capcodes and status logs.
    std::vector<StoredUnit> readUnits(SqlStatement& rows);
    // The unit's row with its slots and images, without its status log; its id, and whether
    // it was added (a unit of a known uid is there already).
    std::pair<std::int64_t, bool> insertRow(const UnitRecord& unit);
    void insertLog(std::int64_t id, const std::vector<std::string>& lines);
    void insertOutcomeRow(std::int64_t id, const UnitRecord& unit);
    // The batch unit a write settles: verified, or failed or retired as its bench asked.
    void settleBatchUnit(const UnitRecord& unit);
    std::optional<Image> image(std::string_view table, std::int64_t id);
    std::int64_t insertBatch(const BatchStart& batch);

    RecordLocation location;
    std::unique_ptr<SqlConnection> connection;
    SqlConnection& db;

    std::unique_ptr<SqlStatement> insertUnit = db.prepare(insertUnitSql());
    std::unique_ptr<SqlStatement> unitIdOfUid = db.prepare("SELECT id FROM units WHERE uid = ?");
    std::unique_ptr<SqlStatement> insertOutcome = db.prepare(insertUnitOutcomeSql());
    std::unique_ptr<SqlStatement> insertSlots;
    std::map<std::size_t, std::unique_ptr<SqlStatement>> insertLogLines;  // by lines a statement takes
    std::unique_ptr<SqlStatement> insertImage = db.prepare("INSERT INTO unit_images (unit_id, image) VALUES (?, ?)");
    std::unique_ptr<SqlStatement> insertWrittenImage =
        db.prepare("INSERT INTO unit_written_images (unit_id, image) VALUES (?, ?)");
    std::unique_ptr<SqlStatement> settleUnit;
};

}  // namespace pagerprog
