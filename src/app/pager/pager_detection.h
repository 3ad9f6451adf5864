// Whether a pager sits in the adapter or the programmer right now: what a hands-free batch
// polls to see a pager taken out and the next one put in.
#pragma once

namespace pagerprog {

class PagerLink;
struct Context;

// On the parallel port the chip's first block acknowledges its control byte; on the USB
// programmer a read of the first chunk succeeds. Quick, quiet, and never writes.
bool pagerAnswers(Context& ctx, PagerLink& link);

}  // namespace pagerprog
