// The shop's own programs run around each unit of a batch: a pre-unit hook may refuse the
// pager before it is touched (a work-order check), a post-unit hook hears how the unit
// ended (a label printer, the shop's production database). A hook is a shell command line,
// run with /bin/sh -c in a process group of its own (Ctrl-C at the terminal is the batch's,
// not the hook's), with the unit's record row as JSON on standard input and its main fields
// as PAGERPROG_* variables. What it writes on standard output and error is read as it comes
// (the first 64 KiB kept, so that a hook writing megabytes never blocks), and a hook that
// runs longer than its timeout is stopped: SIGTERM to its group, SIGKILL a second later.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/record/record_types.h"

namespace pagerprog {

inline constexpr std::chrono::milliseconds kDefaultHookTimeout{10000};

struct UnitHooks {
    std::string preUnit;   // "" none
    std::string postUnit;  // "" none
    std::chrono::milliseconds timeout = kDefaultHookTimeout;
};

using HookEnvironment = std::vector<std::pair<std::string, std::string>>;

struct HookRun {
    // NotStarted also when its end cannot be known; `failure` then says why.
    enum class Ending { Exited, Signalled, TimedOut, NotStarted };
    Ending ending = Ending::NotStarted;
    int status = 0;       // the exit status, or the signal that ended it
    std::string output;   // standard output and error as they came, the first 64 KiB
    std::string failure;  // why it could not be started
    std::chrono::milliseconds took{};
    std::chrono::milliseconds limit{};  // the timeout it had
    bool succeeded() const { return ending == Ending::Exited && status == 0; }
    // The first line of its output with any text, control characters shown as spaces.
    std::string firstLine() const;
};

// Runs `command` with `input` on its standard input and `environment` added to the
// program's own; returns once it has ended or been stopped.
HookRun runHook(const std::string& command, std::string_view input, const HookEnvironment& environment,
                std::chrono::milliseconds timeout);

// The unit's record row as a hook reads it: one line of JSON in the record's JSON form, the
// id null while the row has none yet.
std::string hookInput(const StoredUnit& row);
// PAGERPROG_HOOK (`which`: "pre-unit" or "post-unit"), PAGERPROG_ROW, _TIME, _OPERATION,
// _OUTCOME, _SERIAL, _OPERATOR, _USER, _HOST, _PORT, _BATCH, _UNIT, _CAPCODES (the enabled
// ones, separated by spaces), _ADDRESS1 to _ADDRESS8 (each enabled slot), _FREQUENCY,
// _CUSTOMER, _REVISION and _SETTINGS (the settings file).
HookEnvironment hookEnvironment(const StoredUnit& row, std::string_view which);

// The status-log line telling how the post-unit hook ended.
std::string postUnitEnding(const HookRun& run);
// Why the pre-unit hook refused a unit: its first line of output, else how it ended.
std::string preUnitReason(const HookRun& run);

// Why a hook cannot run at all, known before the first pager: a command that is a single
// path naming no executable file. "" when nothing is known against it.
std::string hookProblem(const std::string& command);

}  // namespace pagerprog
