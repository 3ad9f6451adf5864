// How a pager operation ended: the production record's outcome code and the command-line
// tool's exit status follow from it.
#pragma once

#include <string_view>

namespace pagerprog {

enum class PagerOutcome {
    Done,              // read, or written and verified
    VerifyFailed,      // the pager holds other bytes than it should
    NotWritten,        // parallel port: a page lost its acknowledge
    NoAnswer,          // no adapter or pager answered
    ProgrammerFailed,  // the USB programmer reported an error or stopped answering
    BadImage,          // the pager's image failed its checksum
    OtherCustomer,     // the pager's image belongs to another customer
    Refused,           // the settings cannot go to a pager as shown, or the record cannot keep it
    Cancelled,         // the technician cancelled
};

// The production record's short code for the outcome.
std::string_view outcomeCode(PagerOutcome outcome);

}  // namespace pagerprog
