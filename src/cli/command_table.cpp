#include "cli/command_table.h"

#include <algorithm>

#include "cli/batch_command.h"
#include "cli/pager_command.h"
#include "cli/probe_command.h"
#include "cli/record_command.h"
#include "cli/settings_commands.h"
#include "cli/unit_commands.h"

namespace pagerprog::cli {

namespace {

const std::vector<CommandDef>& commandTable() {
    static const std::vector<CommandDef> commands{
        {.name = "show", .files = 1, .filesOptional = true, .options = {"--states", "--json"}, .run = show},
        {.name = "new", .edits = true, .options = {"-o"}, .run = editAndSave},
        {.name = "edit", .files = 1, .edits = true, .options = {"-o"}, .run = editAndSave},
        {.name = "diff", .files = 2, .options = {"--json"}, .runAlone = diff, .troubleStatus = exit_status::kTrouble},
        {.name = "read", .options = {"-o"}, .pager = PagerUse::Records, .run = read},
        {.name = "write",
         .files = 1,
         .edits = true,
         .options = {"--count", "--hands-free", "--gang", "--on-fail", "--capcodes", "--resume", "--join", "--unique",
                     "--json", "--scan", "--serials", "--pre-unit", "--post-unit", "--hook-timeout"},
         .pager = PagerUse::Records,
         .run = write},
        {.name = "verify", .files = 1, .edits = true, .options = {"--json"}, .pager = PagerUse::Records, .run = verify},
        {.name = "restore",
         .files = 1,
         .filesOptional = true,
         .rowOperand = true,
         .options = {"--force", "--serial"},
         .pager = PagerUse::Records,
         .run = restore},
        {.name = "log",
         .options = {"--batch", "--since", "--until", "--capcode", "--serial", "--format", "--json"},
         .runAlone = log},
        {.name = "history",
         .files = 1,
         .filesOptional = true,
         .options = {"--capcode", "--format", "--json"},
         .runAlone = history},
        {.name = "audit", .files = 1, .options = {"--json"}, .pager = PagerUse::Records, .run = audit},
        {.name = "report", .options = {"--since", "--until", "--by", "--format", "--json"}, .runAlone = report},
        {.name = "probe", .pager = PagerUse::Looks, .run = probe},
        {.name = "record",
         .options = {"--print-sql", "--from"},
         .actions = {{.name = "setup", .printsSql = true},
                     {.name = "copy", .needsFrom = true},
                     {.name = "sync"},
                     {.name = "status"}},
         .runAlone = recordCommand},
        {.name = "batch",
         .options = {"--batch"},
         .actions = {{.name = "release", .unitOperand = true}},
         .runAlone = batchCommand},
    };
    return commands;
}

}  // namespace

bool CommandDef::takes(std::string_view option) const {
    return std::find(options.begin(), options.end(), option) != options.end();
}

const CommandAction* CommandDef::action(std::string_view name) const {
    const auto found = std::find_if(actions.begin(), actions.end(), [name](const auto& a) { return a.name == name; });
    return found == actions.end() ? nullptr : &*found;
}

const CommandDef* findCommand(std::string_view name) {
    const auto& commands = commandTable();
    const auto found = std::find_if(commands.begin(), commands.end(), [name](const auto& c) { return c.name == name; });
    return found == commands.end() ? nullptr : &*found;
}

}  // namespace pagerprog::cli
