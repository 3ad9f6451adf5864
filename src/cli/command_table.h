// The commands of pagerprog-cli, one row each: the arguments it takes, whether it reaches a
// pager and keeps its attempts in the production record, and what runs it. The option
// parser, the dispatch and the session all read this table.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "cli/exit_status.h"

namespace pagerprog::cli {

class Console;
class Session;
struct Options;

// Whether and how a command reaches a pager.
enum class PagerUse {
    None,     // settings files and the production record only
    Looks,    // probe: every port and programmer, whichever --port asks to try; nothing recorded
    Records,  // each attempt is one row of the production record
};

// What a command that does several things (record setup, record copy, ...) can be asked to do.
struct CommandAction {
    std::string_view name;
    bool unitOperand = false;  // a unit number follows it
    bool printsSql = false;    // takes --print-sql
    bool needsFrom = false;    // takes --from FILE
};

struct CommandDef {
    std::string_view name;
    std::size_t files = 0;                    // the files (or the row) it takes
    bool filesOptional = false;               // none is fine too
    bool rowOperand = false;                  // the one operand is a row of the production record
    bool edits = false;                       // takes FIELD=VALUE edits
    std::vector<std::string_view> options{};  // the options it takes after its name
    std::vector<CommandAction> actions{};     // what it can be asked to do, named first
    PagerUse pager = PagerUse::None;
    // What runs it: with a session started as the window starts, or, for a command that
    // starts its own sessions or none, with the console alone.
    int (*run)(Session&, const Options&) = nullptr;
    int (*runAlone)(const Options&, Console&) = nullptr;
    int troubleStatus = exit_status::kRefused;  // a failure nothing foresaw

    bool usesPager() const { return pager != PagerUse::None; }
    bool recordsUnits() const { return pager == PagerUse::Records; }
    bool takes(std::string_view option) const;
    const CommandAction* action(std::string_view name) const;
};

// Null when no command has that name.
const CommandDef* findCommand(std::string_view name);

}  // namespace pagerprog::cli
