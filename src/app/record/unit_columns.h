// What the record keeps of a unit, in one table: the units table's columns (name, type,
// nullability, the schema version that added them, how a unit gives and takes each
// value) and the items kept beside it, with the key each has in CSV and JSON and the
// header it has in the terminal table. The SQL of every store, reading and writing a
// unit, and the CSV, JSON and table forms all follow this table.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/record/record_schema.h"
#include "app/record/record_types.h"
#include "app/record/sql_dialect.h"
#include "app/record/sql_value.h"

namespace pagerprog {

// How an item shows in CSV, JSON and the terminal table.
enum class Shown {
    Value,        // as it is: a text, a number, or null (an empty CSV cell)
    Time,         // as it is (UTC); the terminal table shows the local time
    Flag,         // 1 or 0 in CSV, true or false in JSON
    Slots,        // capcodeN and enabledN in CSV, slot objects in JSON, enabled "slot:capcode" in the table
    Differences,  // ADDRESS:EXPECTED:READ in hex in one CSV cell, objects in JSON
    Lines,        // the status log: joined by LF in one CSV cell, an array of texts in JSON
};

struct ColumnAccess {
    // The value to store or show.
    SqlValue (*get)(const StoredUnit&);
    // Takes the value read from the units table; false for a value pagerprog never writes
    // (a damaged record).
    bool (*set)(StoredUnit&, SqlValue&&);
};

struct UnitColumn {
    std::string_view key;      // CSV header and JSON key
    std::string_view sqlName;  // in the units table; empty for what is kept beside it
    SqlType type;
    bool nullable;
    int since;  // the schema version that added the column
    Shown shown;
    std::string_view tableHeader;      // empty: not in the terminal table
    ColumnAccess access;               // empty for what is kept beside the units table
    std::string_view references = {};  // the table and column a value names
    // Known only once the pager is written: a write recorded before it began gets these
    // in unit_outcomes when it ends, and a unit shows them from there.
    bool completed = false;
};

// In the order of CSV, JSON and the terminal table.
std::span<const UnitColumn> unitColumns();
// The units table's columns in a record of that schema version.
std::vector<const UnitColumn*> storedColumns(int version = kRecordSchemaVersion);

// The keys inside the slot and difference objects (and the CSV's capcodeN and enabledN).
namespace unit_key {
inline constexpr std::string_view slot = "slot";
inline constexpr std::string_view capcode = "capcode";
inline constexpr std::string_view enabled = "enabled";
inline constexpr std::string_view address = "address";
inline constexpr std::string_view expected = "expected";
inline constexpr std::string_view read = "read";
}  // namespace unit_key

// CREATE TABLE units for a fresh record of the current schema.
std::string createUnitsTableSql(const SqlDialect& dialect);
// INSERT INTO units with a parameter for every stored column but the row id, in
// storedColumns() order without it; a unit whose uid is there already is not added again,
// and only a unit added gives back its row id.
std::string insertUnitSql();
// CREATE TABLE unit_outcomes: the end of a write recorded before it began.
std::string createUnitOutcomesTableSql(const SqlDialect& dialect);
// INSERT INTO unit_outcomes: unit_id, time, then the completed columns in storedColumns() order.
std::string insertUnitOutcomeSql();
// The stored columns for a SELECT from kUnitsWithOutcomes, in storedColumns() order: a
// completed column from unit_outcomes where the unit has one there.
std::string selectedUnitColumns();
// What unit queries select from: units u, each with its outcome o when it has one.
inline constexpr std::string_view kUnitsWithOutcomes = "units u LEFT JOIN unit_outcomes o ON o.unit_id = u.id";
// A unit's outcome in a WHERE clause of a query on kUnitsWithOutcomes.
inline constexpr std::string_view kUnitOutcome = "COALESCE(o.outcome, u.outcome)";

}  // namespace pagerprog
