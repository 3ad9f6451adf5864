#include "app/pager/pager_transfer.h"

#include "context/context.h"
#include "link/pager_link.h"

namespace pagerprog {

namespace {

// The progress window follows the bytes; the verify pass, once let through, starts its
// bar afresh.
class ProgressBar : public TransferObserver {
public:
    ProgressBar(Progress& progress, const VerifyGate& gate) : progress_(progress), gate_(gate) {}
    void bytesMoved(int count) override { progress_.progressStep(count); }
    bool verifyPassStarting() override {
        if (gate_ && !gate_()) return false;
        progress_.progressCaption(kVerifyCaption);
        progress_.progressPosition(0);
        return true;
    }

private:
    Progress& progress_;
    const VerifyGate& gate_;
};

}  // namespace

TransferOutcome transferPager(Context& ctx, PagerLink& link, std::string_view chipType, int select,
                              std::string_view mode, std::span<std::uint8_t> buffer, const VerifyGate& verifyStarting) {
    const TransferRoute route{ctx.program.usbProgrammerInUse, ctx.program.portBase};
    ProgressBar bar(ctx.host, verifyStarting);
    TransferOutcome outcome = link.transfer(chipType, select, mode, buffer, route, bar);
    if (!outcome.portError.empty()) ctx.host.log(outcome.portError);
    if (!outcome.programmerError.empty()) ctx.host.messageBox(outcome.programmerError);
    return outcome;
}

}  // namespace pagerprog
