#include "app/record/sqlite_database.h"

#include <sys/stat.h>

#include <sqlite3.h>

#include "app/record/record_error.h"
#include "app/record/sql_dialect.h"

namespace pagerprog {

namespace {

RecordError errorFor(int code, const std::string& name, const std::string& detail) {
    using Kind = RecordError::Kind;
    switch (code & 0xFF) {
        case SQLITE_READONLY:
        case SQLITE_PERM: return {Kind::ReadOnly, name + " is read-only: " + detail};
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            return {Kind::Locked, name + " is locked by another program; close it there or wait, then try again"};
        case SQLITE_NOTADB: return {Kind::Damaged, name + " is damaged (not a database)"};
        case SQLITE_CORRUPT: return {Kind::Damaged, name + " is damaged: " + detail};
        case SQLITE_CANTOPEN: return {Kind::CannotOpen, name + " cannot be opened: " + detail};
        case SQLITE_FULL: return {Kind::Failed, name + " could not be written: the disk is full"};
        default: return {Kind::Failed, name + " failed: " + detail};
    }
}

}  // namespace

Database::Database(const std::filesystem::path& path, bool readOnly, int busyTimeoutMs, std::string_view what)
    : path_(path), name_(std::string(what) + " " + path.string()) {
    const int flags = readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
    const int code = sqlite3_open_v2(path.c_str(), &db_, flags, nullptr);
    if (code != SQLITE_OK) {
        // The handle exists even when opening failed, and holds the reason.
        const std::string detail = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(code);
        sqlite3_close(db_);
        db_ = nullptr;
        throw errorFor(code, name_, detail);
    }
    sqlite3_extended_result_codes(db_, 1);
    sqlite3_busy_timeout(db_, busyTimeoutMs);
    // SQLite quietly falls back to reading when the file may not be written.
    if (!readOnly && sqlite3_db_readonly(db_, "main") == 1) {
        sqlite3_close(db_);
        db_ = nullptr;
        throw RecordError(RecordError::Kind::ReadOnly,
                          name_ + " is read-only: the file may not be written by this user");
    }
    struct stat info {};
    if (::stat(path_.c_str(), &info) == 0) {
        device_ = info.st_dev;
        inode_ = info.st_ino;
    }
}

void Database::requireFileInPlace() {
    struct stat info {};
    const bool there = ::stat(path_.c_str(), &info) == 0;
    // SQLite makes a new file at its first write: that file is the one to stay.
    if (there && inode_ == 0) {
        device_ = info.st_dev;
        inode_ = info.st_ino;
    }
    if (!there || info.st_dev != device_ || info.st_ino != inode_)
        throw RecordError(RecordError::Kind::CannotOpen, name_ + " is no longer there: it was deleted or replaced");
}

Database::~Database() { sqlite3_close(db_); }

void Database::exec(const std::string& sql) {
    const int code = sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr);
    if (code != SQLITE_OK) fail(code);
}

std::string Database::queryText(const std::string& sql) {
    Statement query(*this, sql);
    return query.start().step() ? query.text(0) : std::string();
}

const SqlDialect& Database::dialect() const { return kSqliteDialect; }

std::unique_ptr<SqlStatement> Database::prepare(std::string_view sql) {
    return std::make_unique<Statement>(*this, sql);
}

void Database::begin() {
    requireFileInPlace();
    exec("BEGIN IMMEDIATE");
}

void Database::commit() { exec("COMMIT"); }

void Database::rollback() noexcept { sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr); }

void Database::fail(int code) const { throw errorFor(code, name_, sqlite3_errmsg(db_)); }

Statement::Statement(Database& db, std::string_view sql) : db_(db) {
    const int code = sqlite3_prepare_v3(db.handle(), sql.data(), static_cast<int>(sql.size()),
                                        SQLITE_PREPARE_PERSISTENT, &stmt_, nullptr);
    if (code != SQLITE_OK) db.fail(code);
}

Statement::~Statement() { sqlite3_finalize(stmt_); }

Statement& Statement::start() {
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
    return *this;
}

Statement& Statement::bindValue(int index, const SqlValue& value) {
    struct Binder {
        sqlite3_stmt* stmt;
        int index;
        int operator()(std::monostate) { return sqlite3_bind_null(stmt, index); }
        int operator()(std::int64_t number) { return sqlite3_bind_int64(stmt, index, number); }
        int operator()(const std::string& text) {
            return sqlite3_bind_text64(stmt, index, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
        }
        int operator()(const std::vector<std::uint8_t>& bytes) {
            // A zero-length blob is still a blob, not NULL: the pointer must not be null.
            static const std::uint8_t kNothing = 0;
            const void* data = bytes.empty() ? &kNothing : bytes.data();
            return sqlite3_bind_blob64(stmt, index, data, bytes.size(), SQLITE_TRANSIENT);
        }
    };
    if (const int code = std::visit(Binder{stmt_, index}, value); code != SQLITE_OK) db_.fail(code);
    return *this;
}

bool Statement::step() {
    const int code = sqlite3_step(stmt_);
    if (code == SQLITE_ROW) return true;
    if (code == SQLITE_DONE) return false;
    // Leave the statement reusable; the error is the step's, not the reset's.
    sqlite3_reset(stmt_);
    db_.fail(code);
}

bool Statement::isNull(int column) const { return sqlite3_column_type(stmt_, column) == SQLITE_NULL; }

SqlValue Statement::value(int column, SqlType type) const {
    if (type == SqlType::Blob) {
        const auto* bytes = static_cast<const std::uint8_t*>(sqlite3_column_blob(stmt_, column));
        if (!bytes) return std::vector<std::uint8_t>();
        return std::vector<std::uint8_t>(bytes, bytes + sqlite3_column_bytes(stmt_, column));
    }
    if (isNull(column)) return {};
    if (type == SqlType::Text) {
        const auto* chars = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
        return std::string(chars, static_cast<std::size_t>(sqlite3_column_bytes(stmt_, column)));
    }
    return std::int64_t(sqlite3_column_int64(stmt_, column));
}

}  // namespace pagerprog
