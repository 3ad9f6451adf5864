#include "app/pager/pager_detection.h"

#include <array>

#include "context/context.h"
#include "link/pager_link.h"

namespace pagerprog {

bool pagerAnswers(Context& ctx, PagerLink& link) {
    if (ctx.program.usbProgrammerInUse) {
        std::array<std::uint8_t, kChunkSize> chunk{};
        return link.usb().currentDevice() != nullptr && link.usb().readChunk(findChip(16)->chipCode, 0, chunk);
    }
    BusMaster& bus = link.bus();
    bus.setChip(*findChip(16));
    if (bus.adapterOn(ctx.program.portBase)) return false;
    const bool answers = bus.blockAnswers(0);
    bus.adapterOff();
    return answers;
}

}  // namespace pagerprog
