// The record's tables in a file and how an older one is brought up to date (a server's are
// in server_schema.h). PRAGMA user_version holds the schema version; step n of the migration turns version n-1 into
// version n, and a new record runs every step, so each step runs on every database ever made.
#pragma once

#include <string>

namespace pagerprog {

class Database;
struct SqlDialect;

inline constexpr int kRecordSchemaVersion = 4;

// What the file is, found by reading alone, before anything in it is changed: returns its
// schema version when it is an empty file or a production record of a version this
// pagerprog knows. Throws RecordError of kind NewerSchema for a record made by a newer
// pagerprog, CannotOpen for another program's database, Damaged for a version below 0 or
// a units table that lacks a column of its version.
int checkRecord(Database& db);
// Brings a record that checkRecord found at `version` to kRecordSchemaVersion, all steps
// in one transaction.
void migrateRecord(Database& db, int version);
// Throws RecordError unless a record opened for reading only is at kRecordSchemaVersion.
void requireCurrentSchema(Database& db);

// The tables of schema 4 in which a batch's units are shared out among benches and their
// own capcodes claimed, as `dialect` spells them: a server's record has them as a file has.
std::string allocationTablesSql(const SqlDialect& dialect);

}  // namespace pagerprog
