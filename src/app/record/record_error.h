// The one error the production record raises: a message a technician can act on, and
// its kind for callers that choose an exit status or a dialog by it.
#pragma once

#include <stdexcept>
#include <string>

namespace pagerprog {

class RecordError : public std::runtime_error {
public:
    enum class Kind {
        CannotOpen,   // missing, no such folder, not a file SQLite can open; a server that refuses the login
        ReadOnly,     // the file or its folder may not be written; a server login without the right
        Unreachable,  // the server does not answer, or the connection broke: nothing of the transaction is known
        Locked,       // another program holds the database
        Damaged,      // not a database, or a damaged one
        NewerSchema,  // made by a newer pagerprog
        OlderSchema,  // opened for reading only and not brought up to date yet
        Failed,       // disk full, I/O error and the like: nothing was recorded
    };

    RecordError(Kind kind, const std::string& message) : std::runtime_error(message), kind_(kind) {}
    Kind kind() const { return kind_; }

private:
    Kind kind_;
};

}  // namespace pagerprog
