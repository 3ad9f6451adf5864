// The command line of pagerprog-cli: options, the command and its arguments.
#pragma once

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
    std::string db;               // the production record ("" the default one)
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
    bool unique = false;
    bool force = false;  // restore: into whatever pager is attached
    FieldEdits edits;
    // log
    std::optional<std::int64_t> batch;
    std::optional<std::string> since;  // a UTC time as the record keeps it
    std::optional<std::uint32_t> capcode;
    std::string format = "table";
    // restore
    std::int64_t row = 0;
};

// Throws UsageError for anything it does not understand.
Options parseOptions(int argc, char** argv, const std::string& defaultDataDir);

}  // namespace pagerprog::cli
