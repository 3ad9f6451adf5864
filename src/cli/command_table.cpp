#include "cli/command_table.h"

#include <algorithm>

#include "cli/batch_command.h"
#include "cli/pager_command.h"
#include "cli/probe_command.h"
#include "cli/settings_commands.h"

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
         .options = {"--count", "--hands-free", "--gang", "--on-fail", "--capcodes", "--resume", "--unique", "--json"},
         .pager = PagerUse::Records,
         .run = write},
        {.name = "verify", .files = 1, .edits = true, .options = {"--json"}, .pager = PagerUse::Records, .run = verify},
        {.name = "restore",
         .files = 1,
         .rowOperand = true,
         .options = {"--force"},
         .pager = PagerUse::Records,
         .run = restore},
        {.name = "log", .options = {"--batch", "--since", "--capcode", "--format", "--json"}, .runAlone = log},
        {.name = "probe", .pager = PagerUse::Looks, .run = probe},
    };
    return commands;
}

}  // namespace

bool CommandDef::takes(std::string_view option) const {
    return std::find(options.begin(), options.end(), option) != options.end();
}

const CommandDef* findCommand(std::string_view name) {
    const auto& commands = commandTable();
    const auto found = std::find_if(commands.begin(), commands.end(), [name](const auto& c) { return c.name == name; });
    return found == commands.end() ? nullptr : &*found;
}

}  // namespace pagerprog::cli
