// PPCLAIM with a time limit. ppdev's claim sleeps, uninterruptibly for our purposes, for
// as long as another program has the port claimed, and O_NONBLOCK does not change that;
// so the claim runs on a helper thread that the caller waits for only so long. A claim
// given up on is not lost: when it succeeds later the helper releases the port at once
// and closes the file, so the other program's next claim is not blocked by us.
#pragma once

#include <chrono>

namespace pagerprog {

// The result of claimPort: 0 when claimed, an errno value when refused, or kClaimTimedOut.
inline constexpr int kClaimTimedOut = -1;

// Claims the port open on `fd`. When it times out, `fd` belongs to the helper, which
// closes it; otherwise it stays the caller's.
int claimPort(int fd, std::chrono::milliseconds limit);

}  // namespace pagerprog
