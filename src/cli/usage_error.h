// A command line the tool does not understand: an unknown option, command, field or item,
// a value of the wrong form. main() names it in one line, points to --help and exits with
// the usage status; whatever throws it needs to know nothing more.
#pragma once

#include <stdexcept>

namespace pagerprog::cli {

class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace pagerprog::cli
