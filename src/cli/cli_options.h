// The command line of pagerprog-cli: options, the command and its arguments.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace pagerprog::cli {

// A command line the tool does not understand; `what` names the mistake in one line.
struct UsageError {
    std::string what;
};

extern const char* const kUsageText;

// FIELD=VALUE edits, in the order given.
using FieldEdits = std::vector<std::pair<std::string, std::string>>;

struct Options {
    // Before the command.
    std::optional<std::string> customer;
    std::optional<std::string> revision;
    std::string dataDir;
    std::string simulate;             // "", "usb", "lpt", with ":PAGERFILE" or ":FOLDER"
    std::optional<std::string> port;  // "usb", "lpt1" or "lpt2"
    std::string trace;                // trace file of the pager transfers ("" none)
    bool ackPolling = false;          // page writes poll the acknowledge
    std::string db;                   // the production record ("" the default one)
    bool allowDefaultPrompts = false;

    std::string command;
    std::vector<std::string> files;
    std::string out;
    bool states = false;
    bool json = false;
    int count = 1;
    bool countGiven = false;
    bool handsFree = false;
    std::string capcodes;  // CSV file of capcodes, one row a pager
    std::optional<std::int64_t> resume;
    bool unique = false;
    FieldEdits edits;
    // log
    std::optional<std::int64_t> batch;
    std::optional<std::string> since;
    std::optional<std::uint32_t> capcode;
    std::string format = "table";
    // restore
    std::int64_t row = 0;

    bool usesPager() const;
    bool recordsUnits() const;  // the pager commands that keep their attempts in the record
};

// Throws UsageError for anything it does not understand.
Options parseOptions(int argc, char** argv, const std::string& defaultDataDir);

}  // namespace pagerprog::cli
