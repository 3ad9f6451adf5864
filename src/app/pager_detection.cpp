#include "app/pager_detection.h"

#include <array>

#include "link/pager_link.h"
#include "settings/program_state.h"

namespace pagerprog {

namespace {
constexpr std::uint8_t kPagerChipCode = 0x40;  // the programmer's code of a 24C16
}  // namespace

bool pagerAnswers(Context& ctx, PagerLink& link) {
    if (ctx.program.usbProgrammerInUse) {
        std::array<std::uint8_t, kChunkSize> chunk{};
        return link.usb().currentDevice() != nullptr && link.usb().readChunk(kPagerChipCode, 0, chunk);
    }
    BusMaster& bus = link.bus();
    bus.setChip(*findChip(16));
    if (bus.adapterOn(ctx.program.portBase)) return false;
    const bool answers = bus.blockAnswers(0);
    bus.adapterOff();
    return answers;
}

}  // namespace pagerprog
