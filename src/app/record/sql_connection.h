// One connection to the SQL server that holds a production record, as the record's logic
// uses it whichever server that is: statements with ? parameters, prepared once and run
// many times, values as SqlValue, and transactions. SQLite (sqlite_database.h) and
// PostgreSQL (pg_connection.h) implement it; every failure is a RecordError that names
// the record.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/record/sql_value.h"

namespace pagerprog {

struct SqlDialect;

class SqlStatement {
public:
    virtual ~SqlStatement() = default;

    // Resets the statement and drops its bindings.
    virtual SqlStatement& start() = 0;
    // Parameters count from 1 as in SQL.
    virtual SqlStatement& bindValue(int index, const SqlValue& value) = 0;
    // True while it gives rows; false once done.
    virtual bool step() = 0;
    // Columns count from 0. The column read as the type it was declared with; a NULL blob
    // reads as an empty one.
    virtual SqlValue value(int column, SqlType type) const = 0;
    virtual bool isNull(int column) const = 0;

    SqlStatement& bind(int index, std::int64_t number) { return bindValue(index, number); }
    SqlStatement& bind(int index, std::string_view text) { return bindValue(index, std::string(text)); }
    SqlStatement& bindBlob(int index, std::span<const std::uint8_t> bytes) {
        return bindValue(index, std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
    }
    SqlStatement& bindNull(int index) { return bindValue(index, SqlValue()); }
    SqlStatement& bindOptional(int index, const std::optional<std::string>& text) {
        return text ? bind(index, std::string_view(*text)) : bindNull(index);
    }
    SqlStatement& bindOptional(int index, const std::optional<std::int64_t>& number) {
        return number ? bind(index, *number) : bindNull(index);
    }
    // Runs a statement that gives no rows.
    void run() {
        while (step()) {
        }
    }

    // A NULL reads as 0 or "".
    std::int64_t integer(int column) const;
    std::string text(int column) const;
    std::vector<std::uint8_t> blob(int column) const;
    std::optional<std::string> optionalText(int column) const;
    std::optional<std::int64_t> optionalInteger(int column) const;
};

class SqlConnection {
public:
    virtual ~SqlConnection() = default;

    virtual const SqlDialect& dialect() const = 0;
    // `sql` takes ? for its parameters, whatever the server spells them.
    virtual std::unique_ptr<SqlStatement> prepare(std::string_view sql) = 0;
    // Runs statements that take no parameters, separated by semicolons.
    virtual void exec(const std::string& sql) = 0;

    // A transaction that writes: on SQLite the write lock is taken at once, so that a busy
    // record shows before any work.
    virtual void begin() = 0;
    virtual void commit() = 0;
    // Never throws: it runs where an error is already on its way.
    virtual void rollback() noexcept = 0;

    // How messages name the record: "the production record FILE" or "... on SERVER",
    // never with a password.
    virtual const std::string& name() const = 0;

    // Throws a RecordError of kind Damaged for content the server accepted but pagerprog
    // cannot read.
    [[noreturn]] void damaged(const std::string& what) const;
};

// begin() on construction; rolled back unless commit() was reached.
class Transaction {
public:
    explicit Transaction(SqlConnection& db) : db_(db) { db_.begin(); }
    ~Transaction() {
        if (open_) db_.rollback();
    }
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void commit() {
        db_.commit();
        open_ = false;
    }

private:
    SqlConnection& db_;
    bool open_ = true;
};

}  // namespace pagerprog
