// A thin owner of one SQLite connection and its prepared statements; every SQLite error
// becomes a RecordError that names the record's file and says what is wrong with it.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/record/sql_value.h"

struct sqlite3;
struct sqlite3_stmt;

namespace pagerprog {

class Database {
public:
    // Opens an existing file read-only, or opens and creates it for writing; refuses a
    // file that cannot be written when writing was asked for.
    Database(const std::filesystem::path& path, bool readOnly, int busyTimeoutMs);
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    void exec(const std::string& sql);
    // The first column of the first row as text (a pragma's answer); the statement is
    // finished before it returns, so it holds no lock.
    std::string queryText(const std::string& sql);
    std::int64_t lastInsertId() const;
    const std::filesystem::path& path() const { return path_; }

    // Throws the RecordError for an SQLite result code, with SQLite's own words beside.
    [[noreturn]] void fail(int code) const;
    // Throws a RecordError of kind Damaged for content SQLite accepted but pagerprog cannot read.
    [[noreturn]] void damaged(const std::string& what) const;

    sqlite3* handle() const { return db_; }

    // Throws RecordError when the file this connection writes is no longer the one at its
    // path (deleted or replaced): SQLite would go on writing into a file nobody can open.
    void requireFileInPlace();

private:
    std::filesystem::path path_;
    sqlite3* db_ = nullptr;
    dev_t device_ = 0;
    ino_t inode_ = 0;
};

// A prepared statement, reset and stripped of its bindings on each start().
class Statement {
public:
    Statement(Database& db, std::string_view sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    Statement& start();
    // Parameters count from 1 as in SQL.
    Statement& bind(int index, std::int64_t value);
    Statement& bind(int index, std::string_view text);
    Statement& bindBlob(int index, std::span<const std::uint8_t> bytes);
    Statement& bindNull(int index);
    Statement& bindValue(int index, const SqlValue& value);
    Statement& bindOptional(int index, const std::optional<std::string>& text) {
        return text ? bind(index, std::string_view(*text)) : bindNull(index);
    }

    // True while it gives rows; false once done.
    bool step();
    // Runs a statement that gives no rows.
    void run();

    // Columns count from 0.
    bool isNull(int column) const;
    std::int64_t integer(int column) const;
    std::string text(int column) const;
    std::vector<std::uint8_t> blob(int column) const;
    std::optional<std::string> optionalText(int column) const {
        if (isNull(column)) return std::nullopt;
        return text(column);
    }
    // The column read as the type it was declared with.
    SqlValue value(int column, SqlType type) const;

private:
    Database& db_;
    sqlite3_stmt* stmt_ = nullptr;
};

// BEGIN IMMEDIATE on construction (the write lock is taken at once, so a busy database
// shows before any work); rolled back unless commit() was reached.
class WriteTransaction {
public:
    explicit WriteTransaction(Database& db);
    ~WriteTransaction();
    WriteTransaction(const WriteTransaction&) = delete;
    WriteTransaction& operator=(const WriteTransaction&) = delete;
    void commit();

private:
    Database& db_;
    bool open_ = true;
};

}  // namespace pagerprog
