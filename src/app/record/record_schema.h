// The record's tables and how an older record is brought up to date. PRAGMA user_version
// holds the schema version; step n of the migration turns version n-1 into version n, and
// a new record runs every step, so each step runs on every database ever made.
#pragma once

namespace pagerprog {

class Database;

inline constexpr int kRecordSchemaVersion = 3;

int schemaVersion(Database& db);
// Runs the steps from the record's version to kRecordSchemaVersion in one transaction.
// Throws RecordError of kind NewerSchema for a record made by a newer pagerprog.
void migrateRecord(Database& db);
// Throws RecordError when a record opened for reading only is not at kRecordSchemaVersion.
void requireCurrentSchema(Database& db);

}  // namespace pagerprog
