// pagerprog-cli: the command-line companion. It drives the same settings, rules, menu
// commands and pager link as the window: start-up, "&Open", edits typed as a user types
// them, "&Save", "&RD_From_Pager" and "&WR_To_Pager", and the production record beside them.
#include <cstring>
#include <exception>
#include <iostream>
#include <string>

#include "app/document/data_folder.h"
#include "app/document/version.h"
#include "cli/batch_command.h"
#include "cli/exit_status.h"
#include "cli/pager_command.h"
#include "cli/probe_command.h"
#include "cli/session.h"
#include "cli/settings_commands.h"
#include "settings/field_table.h"

namespace pagerprog::cli {
namespace {

using namespace exit_status;

// --help and --version answer whatever else the command line holds.
bool answersAtOnce(int argc, char** argv, int& status) {
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--help") || !std::strcmp(argv[i], "-h")) {
            std::cout << kUsageText;
            status = kOk;
            return true;
        }
        if (!std::strcmp(argv[i], "--version")) {
            std::cout << "pagerprog-cli " << kProgramVersion << '\n';
            status = kOk;
            return true;
        }
        // Not in the usage: for the shell completions, every field name, one a line.
        if (!std::strcmp(argv[i], "--list-fields")) {
            for (const FieldDef& field : fieldTable()) std::cout << field.name << '\n';
            status = kOk;
            return true;
        }
    }
    return false;
}

int runCommand(const Options& options) {
    if (options.command == "diff") return diff(options);
    if (options.command == "log") return log(options);
    Session session(options, std::cerr);
    if (session.host().messageCount() != 0) return kRefused;
    const std::string& command = options.command;
    if (command == "show") return show(session, options);
    if (command == "read") return read(session, options);
    if (command == "write") return write(session, options);
    if (command == "verify") return verify(session, options);
    if (command == "restore") return restore(session, options);
    if (command == "probe") return probe(session, options);
    return editAndSave(session, options);
}

// A result that never reached standard output (a full disk, a closed pipe) is a failure,
// though the command itself may have gone well.
int resultsDelivered(int status, const Options& options) {
    if (std::cout.flush()) return status;
    std::cerr << "pagerprog-cli: standard output: write error\n";
    if (options.command == "diff") return 2;
    return status == kOk ? kRefused : status;
}

int run(int argc, char** argv) {
    if (int status = kOk; answersAtOnce(argc, argv, status)) return status;
    Options options;
    try {
        options = parseOptions(argc, argv, programDataFolder());
        return resultsDelivered(runCommand(options), options);
    } catch (const UsageError& error) {
        std::cerr << "pagerprog-cli: " << error.what << "\nTry 'pagerprog-cli --help' for more information.\n";
        return kUsage;
    } catch (const NoDevice& error) {
        std::cerr << "pagerprog-cli: " << error.what() << '\n';
        return kNoAnswer;
    } catch (const std::exception& error) {
        std::cerr << "pagerprog-cli: " << error.what() << '\n';
        return options.command == "diff" ? 2 : kRefused;
    }
}

}  // namespace
}  // namespace pagerprog::cli

int main(int argc, char** argv) { return pagerprog::cli::run(argc, argv); }
