// Whether a pager sits in the adapter or the programmer right now: what a hands-free batch
// polls to see a pager taken out and the next one put in, and to notice a programmer that
// went away meanwhile.
#pragma once

#include <string>

namespace pagerprog {

class PagerLink;
struct Context;

struct SocketState {
    bool pagerIn = false;
    // Why the programmer or port cannot be used ("" when it can): unplugged, silent, an
    // error letter other than "no EEPROM", a port that cannot be claimed.
    std::string unreachable;
};

// On the parallel port the chip's first block acknowledges its control byte; on the USB
// programmer a read of the first chunk succeeds. Quick, quiet, and never writes.
SocketState socketState(Context& ctx, PagerLink& link);
inline bool pagerAnswers(Context& ctx, PagerLink& link) { return socketState(ctx, link).pagerIn; }

}  // namespace pagerprog
