#include "app/image_steps.h"

#include "settings/decoder.h"
#include "settings/encoder.h"
#include "settings/image_layout.h"
#include "settings/program_state.h"

namespace pagerprog {

namespace {

bool madeForThisCustomer(const Context& ctx) {
    const Layout layout = layoutOf(ctx.program.hardwareRevision);
    return static_cast<int>(storedBits(ctx.program.loadBuffer, layout, field::customer)) ==
           ctx.model.index(field::customer);
}

void reapplyRulesAfterLoad(Context& ctx, int addressSlots) {
    ctx.model.fireExit(field::frequency);
    for (int slot = 1; slot <= addressSlots; ++slot) ctx.model.fireExit(field::address(slot));
    ctx.model.fireChange(field::customer);
}

}  // namespace

bool acceptIncomingImage(Context& ctx, const IncomingImage& checks, const std::function<void()>& accepted) {
    if (!imageChecksumOk(ctx.program.loadBuffer)) {
        ctx.logAndBeep(checks.badChecksum);
        return false;
    }
    if (checks.otherCustomer != nullptr && !madeForThisCustomer(ctx)) {
        ctx.logAndBeep(checks.otherCustomer);
        return false;
    }
    ctx.program.image = ctx.program.loadBuffer;
    accepted();
    decodeImage(ctx);
    reapplyRulesAfterLoad(ctx, checks.addressSlots);
    return true;
}

void prepareOutgoingImage(Context& ctx) {
    ctx.model.fireExit(field::hellomsg(1));
    ctx.model.fireExit(field::hellomsg(2));
    encodeImage(ctx);
    setImageChecksum(ctx.program.image);
}

}  // namespace pagerprog
