#include "app/pager/pager_outcome.h"

#include "app/record/record_types.h"

namespace pagerprog {

std::string_view outcomeCode(PagerOutcome outcome) {
    switch (outcome) {
        case PagerOutcome::Done: return outcome::ok;
        case PagerOutcome::VerifyFailed: return outcome::verifyFailed;
        case PagerOutcome::NotWritten: return outcome::writeFailed;
        case PagerOutcome::NoAnswer: return outcome::noDevice;
        case PagerOutcome::ProgrammerFailed: return outcome::programmerError;
        case PagerOutcome::BadImage: return outcome::badChecksum;
        case PagerOutcome::OtherCustomer: return outcome::otherCustomer;
        case PagerOutcome::Refused: return outcome::refused;
        case PagerOutcome::Cancelled: return outcome::cancelled;
    }
    return outcome::refused;
}

}  // namespace pagerprog
