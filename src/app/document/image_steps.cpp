#include "app/document/image_steps.h"

#include "context/context.h"
#include "settings/decoder.h"
#include "settings/encoder.h"
#include "settings/frequency.h"
#include "settings/image_layout.h"
#include "settings/storage_check.h"

namespace pagerprog {

namespace {

bool madeForThisCustomer(const Context& ctx) {
    const Layout layout = layoutOf(ctx.program.hardwareRevision);
    return static_cast<int>(storedBits(ctx.program.loadBuffer, layout, field::customer)) ==
           ctx.model.index(field::customer);
}

// A channel the window cannot show is not shown wrongly: the frequency rule keeps the
// channel it showed, and the technician is told.
void reportChannelOutsideTheBand(Context& ctx) {
    const auto channel = Frequency::fromText(ctx.model.text(field::frequency), ctx.program.decimalSeparator);
    if (!channel || channel->typable()) return;
    ctx.host.log("The image holds the channel " + channel->text(ctx.program.decimalSeparator) +
                 " MHz, outside 100.00000 to 999.99999 MHz: the window keeps the channel it showed.");
}

void reapplyRulesAfterLoad(Context& ctx, int addressSlots) {
    ctx.model.fireExit(field::frequency);
    for (int slot = 1; slot <= addressSlots; ++slot) ctx.model.fireExit(field::address(slot));
    ctx.model.fireChange(field::customer);
}

// Says which fields the image would hold other than the window shows them; true when none.
bool reportStorageDifferences(Context& ctx) {
    const auto differences = storageDifferences(ctx);
    for (const StorageDifference& difference : differences) ctx.host.log(describe(difference));
    return differences.empty();
}

}  // namespace

Incoming acceptIncomingImage(Context& ctx, const IncomingImage& checks, const std::function<void()>& accepted) {
    if (!imageChecksumOk(ctx.program.loadBuffer)) {
        ctx.logAndBeep(checks.badChecksum);
        return Incoming::BadChecksum;
    }
    if (checks.otherCustomer != nullptr && !madeForThisCustomer(ctx)) {
        ctx.logAndBeep(checks.otherCustomer);
        return Incoming::OtherCustomer;
    }
    ctx.program.image = ctx.program.loadBuffer;
    accepted();
    decodeImage(ctx);
    reportChannelOutsideTheBand(ctx);
    reapplyRulesAfterLoad(ctx, checks.addressSlots);
    reportStorageDifferences(ctx);
    return Incoming::Accepted;
}

bool prepareOutgoingImage(Context& ctx, const char* refusal) {
    ctx.model.fireExit(field::hellomsg(1));
    ctx.model.fireExit(field::hellomsg(2));
    if (!reportStorageDifferences(ctx) && ctx.program.refuseUnshownValues) {
        ctx.logAndBeep(refusal);
        return false;
    }
    encodeImage(ctx);
    setImageChecksum(ctx.program.image);
    return true;
}

}  // namespace pagerprog
