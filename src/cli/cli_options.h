// The command line of pagerprog-cli: options, the command and its arguments.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/production/batch.h"
#include "cli/console.h"
#include "cli/usage_error.h"
#include "link/port_name.h"

namespace pagerprog::cli {

struct CommandDef;

// FIELD=VALUE edits, in the order given; VALUE as `show` writes it, escapes read.
using FieldEdits = std::vector<std::pair<std::string, std::string>>;

struct Options {
    // Before the command.
    std::optional<std::string> customer;
    std::optional<std::string> revision;
    std::string dataDir;
    // One simulated programmer or adapter each: "usb" or "lpt", with ":PAGERFILE" or ":FOLDER".
    std::vector<std::string> simulate;
    std::vector<PortName> ports;  // several only for a gang
    std::string trace;            // trace file of the pager transfers ("" none)
    bool ackPolling = false;      // page writes poll the acknowledge
    std::string db;               // the production record: a file or a server ("" the default one)
    std::string operatorName;     // recorded on every row ("" none; PAGERPROG_OPERATOR by default)
    bool allowDefaultPrompts = false;
    Verbosity verbosity = Verbosity::Normal;

    const CommandDef* command = nullptr;
    std::vector<std::string> files;
    std::string out;
    bool states = false;
    bool json = false;
    int count = 1;
    bool countGiven = false;
    bool handsFree = false;
    bool gang = false;  // every programmer (or those of --port) at once, hands-free
    OnFailure onFailure = OnFailure::Reuse;
    std::string capcodes;  // CSV file of capcodes, one row a pager
    std::optional<std::int64_t> resume;
    std::optional<std::int64_t> join;
    bool unique = false;
    bool scan = false;              // each pager's serial read from standard input before it
    std::string serials;            // a list of the pagers' serials, one a line
    std::string preUnit, postUnit;  // hook command lines ("" none)
    std::chrono::milliseconds hookTimeout{10000};
    bool force = false;  // restore: into whatever pager is attached
    FieldEdits edits;
    // log
    std::optional<std::int64_t> batch;
    std::optional<std::string> since;  // a UTC time as the record keeps it
    std::optional<std::string> until;  // the same, the first time no longer reached
    std::optional<std::uint32_t> capcode;
    std::optional<std::string> serial;  // log, history, restore: the pager's unit serial
    std::string format = "table";
    std::string by;  // report: day, batch, bench, programmer or operator
    // restore
    std::int64_t row = 0;
    // record and batch: what to do, and for the unit of batch release
    std::string action;
    int unit = 0;
    bool printSql = false;
    std::string from;  // record copy: the file copied
};

// Throws UsageError for anything it does not understand. `defaultOperator` is what
// PAGERPROG_OPERATOR holds (nothing when it is not set).
Options parseOptions(int argc, char** argv, const std::string& defaultDataDir,
                     const std::optional<std::string>& defaultOperator = std::nullopt);

}  // namespace pagerprog::cli
