// A thin owner of one SQLite connection and its prepared statements; every SQLite error
// becomes a RecordError that names the record's file and says what is wrong with it.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "app/record/sql_connection.h"

struct sqlite3;
struct sqlite3_stmt;

namespace pagerprog {

class Database : public SqlConnection {
public:
    // Opens an existing file read-only, or opens and creates it for writing; refuses a
    // file that cannot be written when writing was asked for. Messages name it as `what`
    // followed by its path.
    Database(const std::filesystem::path& path, bool readOnly, int busyTimeoutMs,
             std::string_view what = "the production record");
    ~Database() override;
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    const SqlDialect& dialect() const override;
    std::unique_ptr<SqlStatement> prepare(std::string_view sql) override;
    void exec(const std::string& sql) override;
    // BEGIN IMMEDIATE, once the file is known to be still in place.
    void begin() override;
    void commit() override;
    void rollback() noexcept override;
    const std::string& name() const override { return name_; }

    // The first column of the first row as text (a pragma's answer); the statement is
    // finished before it returns, so it holds no lock.
    std::string queryText(const std::string& sql);
    const std::filesystem::path& path() const { return path_; }

    // Throws the RecordError for an SQLite result code, with SQLite's own words beside.
    [[noreturn]] void fail(int code) const;

    sqlite3* handle() const { return db_; }

private:
    // Throws RecordError when the file this connection writes is no longer the one at its
    // path (deleted or replaced): SQLite would go on writing into a file nobody can open.
    void requireFileInPlace();

    std::filesystem::path path_;
    std::string name_;
    sqlite3* db_ = nullptr;
    dev_t device_ = 0;
    ino_t inode_ = 0;
};

// A prepared statement, reset and stripped of its bindings on each start().
class Statement : public SqlStatement {
public:
    Statement(Database& db, std::string_view sql);
    ~Statement() override;
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    Statement& start() override;
    Statement& bindValue(int index, const SqlValue& value) override;
    bool step() override;
    SqlValue value(int column, SqlType type) const override;
    bool isNull(int column) const override;

private:
    Database& db_;
    sqlite3_stmt* stmt_ = nullptr;
};

}  // namespace pagerprog
