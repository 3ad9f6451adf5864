// Where a production record lives: an SQLite file, or a database on a PostgreSQL server
// named by a libpq connection string ("postgresql://[user@]host[:port]/dbname[?...]",
// "service=NAME", or "keyword=value ..."). A password the string holds is used to connect
// and nowhere else: messages, the status bar and the record name the server without it.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace pagerprog {

class RecordLocation {
public:
    RecordLocation() = default;
    // A text that starts like a connection string (postgresql://, postgres://, or a
    // keyword and "=") names a server; anything else is a file ("./a=b.sqlite" for a file
    // whose name looks like one).
    static RecordLocation parse(const std::string& text);
    static RecordLocation file(const std::filesystem::path& path);

    bool onServer() const { return onServer_; }
    bool empty() const { return onServer_ ? connection_.empty() : path_.empty(); }
    const std::filesystem::path& path() const { return path_; }
    // The whole connection string, for libpq alone.
    const std::string& connection() const { return connection_; }
    // The file, or the server as "postgresql://host:port/dbname" (or "service=NAME"),
    // without user or password; for a string libpq cannot read, what it says is wrong.
    const std::string& shown() const { return shown_; }
    // Why libpq cannot read the connection string ("" when it can), with any password cut out.
    const std::string& problem() const { return problem_; }

    // Text with the password of this location's connection string replaced by "***":
    // for messages that may quote the string.
    std::string withoutPassword(std::string text) const;
    // The same with each character of the password replaced by '*', the length kept: for
    // hiding it in place (a program's arguments, which ps shows).
    std::string withPasswordMasked(std::string text) const;
    bool hasPassword() const { return !secrets_.empty(); }

private:
    bool onServer_ = false;
    std::filesystem::path path_;
    std::string connection_;
    std::string shown_;
    std::string problem_;
    std::vector<std::string> secrets_;  // the password as spelled and as decoded
};

// The record of this session when none is named: PAGERPROG_DB when set, else the default
// file (see data_home.h; empty when neither XDG_DATA_HOME nor HOME is set).
RecordLocation defaultRecordLocation();

}  // namespace pagerprog
