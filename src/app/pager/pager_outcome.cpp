#include "app/pager/pager_outcome.h"

#include <array>

#include "app/record/record_types.h"

namespace pagerprog {

namespace {

constexpr std::array kOutcomes{
    OutcomeFacts{PagerOutcome::Done, outcome::ok, "verified", ""},
    OutcomeFacts{PagerOutcome::VerifyFailed, outcome::verifyFailed, "verify failed", "the pager holds other data"},
    OutcomeFacts{PagerOutcome::NotWritten, outcome::writeFailed, "not written", "the pager can't be written"},
    OutcomeFacts{PagerOutcome::NoAnswer, outcome::noDevice, "no pager answered",
                 "no pager answered; check the connection"},
    OutcomeFacts{PagerOutcome::ProgrammerFailed, outcome::programmerError, "programmer error",
                 "the programmer reported an error or stopped answering"},
    OutcomeFacts{PagerOutcome::PortRemoved, outcome::portRemoved, "port removed",
                 "the port or programmer was removed during the transfer"},
    OutcomeFacts{PagerOutcome::BadImage, outcome::badChecksum, "pager image bad",
                 "the pager's image failed its checksum"},
    OutcomeFacts{PagerOutcome::OtherCustomer, outcome::otherCustomer, "pager of another customer",
                 "the pager belongs to another customer"},
    OutcomeFacts{PagerOutcome::Refused, outcome::refused, "refused", ""},
    OutcomeFacts{PagerOutcome::Cancelled, outcome::cancelled, "cancelled", ""},
    OutcomeFacts{PagerOutcome::Retired, outcome::retired, "capcodes retired",
                 "the capcodes of a failed pager were retired"},
};

}  // namespace

const OutcomeFacts& outcomeFacts(PagerOutcome outcome) {
    for (const OutcomeFacts& facts : kOutcomes)
        if (facts.outcome == outcome) return facts;
    return kOutcomes[static_cast<std::size_t>(PagerOutcome::Refused)];
}

}  // namespace pagerprog
