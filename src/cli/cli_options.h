// The command line of pagerprog-cli: options, the command and its arguments.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace pagerprog::cli {

struct UsageError {
    std::string what;
};

extern const char* const kUsageText;

struct Options {
    std::optional<std::string> customer;
    std::optional<std::string> revision;
    std::string dataDir;
    std::string simulate;             // "", "usb", "lpt", with ":PAGERFILE"
    std::optional<std::string> port;  // "usb", "lpt1" or "lpt2"
    std::string trace;                // trace file of the pager transfers ("" none)
    bool ackPolling = false;          // page writes poll the acknowledge
    std::string command;
    std::vector<std::string> files;
    std::string out;
    bool states = false;
    int count = 1;
    std::vector<std::pair<std::string, std::string>> edits;

    bool usesPager() const { return command == "read" || command == "write" || command == "probe"; }
};

// Throws UsageError for anything it does not understand.
Options parseOptions(int argc, char** argv, const std::string& defaultDataDir);

}  // namespace pagerprog::cli
