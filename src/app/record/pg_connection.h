// A production record's connection to a PostgreSQL server through libpq. Statements are
// prepared on the server once per connection and run with their values sent and read in
// binary; texts pass through server_text.h. A connection that was lost is made again at
// the next statement outside a transaction; one lost inside a transaction fails every
// statement until the transaction is rolled back, so that no half of one is ever written
// outside it.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/record/record_location.h"
#include "app/record/sql_connection.h"

struct pg_conn;
struct pg_result;

namespace pagerprog {

struct PgResultFree {
    void operator()(pg_result* result) const;
};
using PgResult = std::unique_ptr<pg_result, PgResultFree>;

class PgConnection : public SqlConnection {
public:
    // Connects. Throws RecordError: Unreachable when no server answers, CannotOpen when the
    // connection string does not parse or the server refuses the login or the database.
    explicit PgConnection(const RecordLocation& location);
    ~PgConnection() override;
    PgConnection(const PgConnection&) = delete;
    PgConnection& operator=(const PgConnection&) = delete;

    const SqlDialect& dialect() const override;
    std::unique_ptr<SqlStatement> prepare(std::string_view sql) override;
    void exec(const std::string& sql) override;
    void begin() override;
    void commit() override;
    void rollback() noexcept override;
    const std::string& name() const override { return name_; }

    // A setting the server told at connection (server_encoding, server_version).
    std::string serverSetting(const char* name) const;
    // The first column of the first row of a query without parameters, as text ("" for none).
    std::string queryText(const std::string& sql);

    // Runs `sql` (numbered parameters) with these values; the rows come back in binary.
    PgResult run(const std::string& sql, const std::vector<SqlValue>& values);

private:
    struct Prepared {
        std::string name;
        int connection = 0;
    };

    void connect();
    // Makes a lost connection again, outside a transaction; throws when it is lost inside one.
    void requireConnection();
    PgResult checked(PgResult result);
    [[noreturn]] void fail(const pg_result* result);
    [[noreturn]] void lost(const std::string& detail);

    RecordLocation location_;
    std::string name_;
    pg_conn* conn_ = nullptr;
    int connections_ = 0;  // statements prepared on an earlier connection are gone
    bool inTransaction_ = false;
    bool lostInTransaction_ = false;
    std::map<std::string, Prepared> prepared_;  // by statement and parameter types
    int preparedCount_ = 0;
};

}  // namespace pagerprog
