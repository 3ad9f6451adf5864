// The exit statuses of pagerprog-cli, one for each kind of failure a script acts on.
#pragma once

#include "app/pager/pager_outcome.h"

namespace pagerprog::cli::exit_status {

inline constexpr int kOk = 0;
inline constexpr int kRefused = 1;  // an input refused: a file, an edit, a value, the record
inline constexpr int kUsage = 2;
inline constexpr int kNoAnswer = 3;  // no programmer, adapter or pager answering
inline constexpr int kVerifyDiffers = 4;
inline constexpr int kProgrammerFailed = 5;  // the programmer reported an error, stopped answering or was removed
inline constexpr int kBadImage = 6;          // the pager's image failed its checksum or is another customer's
inline constexpr int kBatchStopped = 7;      // a batch was stopped before its count
inline constexpr int kInterrupted = 130;     // Ctrl-C, as the shell counts a SIGINT

// diff follows diff(1).
inline constexpr int kEqual = 0;
inline constexpr int kDifferent = 1;
inline constexpr int kTrouble = 2;  // a file it cannot load included

// probe tells what answered.
inline constexpr int kPagerAnswered = 0;
inline constexpr int kNoPagerAnswered = 1;  // a port or programmer works, but no pager answered
inline constexpr int kNothingUsable = 3;    // no port and no programmer can be used

inline int of(PagerOutcome outcome) {
    switch (outcome) {
        case PagerOutcome::Done: return kOk;
        case PagerOutcome::VerifyFailed: return kVerifyDiffers;
        case PagerOutcome::NotWritten:
        case PagerOutcome::NoAnswer: return kNoAnswer;
        case PagerOutcome::ProgrammerFailed:
        case PagerOutcome::PortRemoved: return kProgrammerFailed;
        case PagerOutcome::BadImage:
        case PagerOutcome::OtherCustomer: return kBadImage;
        case PagerOutcome::Refused:
        case PagerOutcome::Cancelled:
        case PagerOutcome::Retired: return kRefused;
    }
    return kRefused;
}

}  // namespace pagerprog::cli::exit_status
