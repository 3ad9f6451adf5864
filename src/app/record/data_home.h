// Where the production record lives by default, and who and where the technician is.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace pagerprog {

// $XDG_DATA_HOME/pagerprog/production.sqlite, or ~/.local/share/pagerprog/... when
// XDG_DATA_HOME is unset, empty or relative (the XDG base-directory rules). Empty when
// neither it nor HOME is set.
std::filesystem::path defaultRecordPath();

// The login name from USER or LOGNAME; "unknown" without either.
std::string currentUserName();
// The kernel's host name; "unknown" when it cannot be read.
std::string currentHostName();
// This process's id, and a new unit id no other program will make: 32 hex digits of the
// system's randomness.
std::int64_t currentProcessId();
std::string newUnitUid();
// Whether the process of this id runs on this host (false without one).
bool processRuns(std::optional<std::int64_t> pid);

}  // namespace pagerprog
