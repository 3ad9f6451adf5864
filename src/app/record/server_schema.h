// A production record on a PostgreSQL server: the same tables as a record file, the
// schema version in a table of its own (pagerprog_schema), and the role the benches log in
// with. Benches never make or change the tables: the shop's administrator sets the record
// up once, and brings it up to date after a newer pagerprog, with `record setup`.
#pragma once

#include <string>

namespace pagerprog {

class RecordLocation;

// The role every bench's login is a member of: it reads the record, adds units, batches
// and claims, and allocates batch units, but can neither change nor delete a recorded unit.
inline constexpr const char* kBenchRole = "pagerprog_bench";

// What setting a record up on an empty database runs, in one transaction: the tables, the
// schema version and the benches' role with its rights.
std::string serverRecordSql();

// Sets the record up on the server (tables and role), or brings an older one up to date;
// says what it did. Throws RecordError when it cannot: the server refused, the database
// holds another program's tables or a newer pagerprog's record, this login may not.
std::string setUpServerRecord(const RecordLocation& location);

}  // namespace pagerprog
