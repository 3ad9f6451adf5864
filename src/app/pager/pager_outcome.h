// How a pager operation ended, and everything that follows from it: the production
// record's code, the word a result line or summary uses, and the reason the status bar
// gives. One table holds them all.
#pragma once

#include <string_view>

namespace pagerprog {

enum class PagerOutcome {
    Done,              // read, or written and verified
    VerifyFailed,      // the pager holds other bytes than it should
    NotWritten,        // parallel port: a page lost its acknowledge
    NoAnswer,          // no adapter or pager answered
    ProgrammerFailed,  // the USB programmer reported an error or stopped answering
    PortRemoved,       // the parallel port or the USB programmer went away during the transfer
    BadImage,          // the pager's image failed its checksum
    OtherCustomer,     // the pager's image belongs to another customer
    Refused,           // the settings cannot go to a pager as shown, or the record cannot keep it
    Cancelled,         // the technician cancelled
    Retired,           // a failed unit's capcodes, given to no other pager
};

struct OutcomeFacts {
    PagerOutcome outcome;
    std::string_view recordCode;  // the production record's short code
    std::string_view resultText;  // a unit's result line: "verified", "verify failed"
    // Why it failed, in the technician's words, for the status bar; empty where the status
    // log's last line says it best (a refusal, a cancel).
    std::string_view failure;
};

const OutcomeFacts& outcomeFacts(PagerOutcome outcome);

// The production record's short code for the outcome.
inline std::string_view outcomeCode(PagerOutcome outcome) { return outcomeFacts(outcome).recordCode; }

}  // namespace pagerprog
