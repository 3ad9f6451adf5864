#include "cli/console.h"

#include <ostream>

namespace pagerprog::cli {

void Console::status(const std::string& line) {
    if (quiet())
        held_.push_back(line);
    else
        err_ << line << '\n';
}

void Console::stepEnded(bool succeeded) {
    if (!succeeded)
        for (const std::string& line : held_) err_ << line << '\n';
    held_.clear();
}

void Console::error(const std::string& line) {
    stepEnded(false);
    err_ << line << '\n';
}

void Console::detail(const std::string& line) {
    if (verbosity_ == Verbosity::Verbose) err_ << "detail: " << line << '\n';
}

}  // namespace pagerprog::cli
