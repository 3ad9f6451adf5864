// pagerprog-cli: the command-line companion. It drives the same settings, rules, menu
// commands and pager link as the window: start-up, "&Open", edits typed as a user types
// them, "&Save", "&RD_From_Pager" and "&WR_To_Pager", and the production record beside them.
#include <algorithm>
#include <cstdlib>
#include <exception>
#include <iostream>
#include <string>
#include <string_view>

#include "app/document/data_folder.h"
#include "app/document/version.h"
#include "app/record/record_location.h"
#include "cli/command_table.h"
#include "cli/console.h"
#include "cli/exit_status.h"
#include "cli/session.h"
#include "cli/usage_text.h"
#include "settings/field_table.h"

namespace pagerprog::cli {
namespace {

using namespace exit_status;

// Not in the usage: for the shell completions, every field name, one a line, with a
// choice's items after a tab ("alerttype<TAB>Tone|Vibrate|...").
void listFields() {
    for (const FieldDef& field : fieldTable()) {
        std::cout << field.name;
        for (std::size_t i = 0; i < field.items.size(); ++i) std::cout << (i ? '|' : '\t') << field.items[i];
        std::cout << '\n';
    }
}

// --help and --version answer whatever else the command line holds, up to a "--".
bool answersAtOnce(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view word = argv[i];
        if (word == "--") return false;
        if (word == "--help" || word == "-h") {
            std::cout << kUsageText;
            return true;
        }
        if (word == "--version") {
            std::cout << "pagerprog-cli " << kProgramVersion << '\n';
            return true;
        }
        if (word == "--list-fields") {
            listFields();
            return true;
        }
    }
    return false;
}

int runCommand(const Options& options, Console& console) {
    const CommandDef& command = *options.command;
    if (command.runAlone) return command.runAlone(options, console);
    Session session(options, console);
    if (session.host().messageCount() != 0) return kRefused;
    const int status = command.run(session, options);
    // The transfer's own outcome stands; a trace lost on the way fails a command that went well.
    if (const std::string lost = session.traceFailure(); !lost.empty()) {
        console.error("pagerprog-cli: " + lost);
        if (status == kOk) return kRefused;
    }
    return status;
}

// A result that never reached standard output (a full disk, a closed pipe) is a failure,
// though the command itself may have gone well.
int resultsDelivered(int status, const Options& options) {
    if (std::cout.flush()) return status;
    std::cerr << "pagerprog-cli: standard output: write error\n";
    // diff's status is its answer (0 equal, 1 different): undelivered, it is trouble.
    const int trouble = options.command->troubleStatus;
    return status == kOk || trouble != kRefused ? trouble : status;
}

// A password in --db is read by now: ps shows the arguments as they are from here on, so
// it shows it no longer.
void hidePassword(int argc, char** argv, const Options& options) {
    const RecordLocation location = RecordLocation::parse(options.db);
    if (!location.hasPassword()) return;
    for (int i = 1; i < argc; ++i) {
        const std::string masked = location.withPasswordMasked(argv[i]);
        std::copy(masked.begin(), masked.end(), argv[i]);
    }
}

int run(int argc, char** argv) {
    if (answersAtOnce(argc, argv)) return kOk;
    Console console(std::cerr);
    Options options;
    try {
        const char* operatorName = std::getenv("PAGERPROG_OPERATOR");
        options = parseOptions(argc, argv, programDataFolder(),
                               operatorName ? std::optional<std::string>(operatorName) : std::nullopt);
        hidePassword(argc, argv, options);
        console.setVerbosity(options.verbosity);
        const int status = runCommand(options, console);
        console.stepEnded(status == kOk);
        return resultsDelivered(status, options);
    } catch (const UsageError& error) {
        console.error("pagerprog-cli: " + std::string(error.what()) +
                      "\nTry 'pagerprog-cli --help' for more information.");
        return kUsage;
    } catch (const NoDevice& error) {
        console.error("pagerprog-cli: " + std::string(error.what()));
        return kNoAnswer;
    } catch (const std::exception& error) {
        console.error("pagerprog-cli: " + std::string(error.what()));
        return options.command ? options.command->troubleStatus : kRefused;
    }
}

}  // namespace
}  // namespace pagerprog::cli

int main(int argc, char** argv) { return pagerprog::cli::run(argc, argv); }
