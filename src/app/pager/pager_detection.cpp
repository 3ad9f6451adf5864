#include "app/pager/pager_detection.h"

#include <array>

#include "context/context.h"
#include "link/pager_link.h"

namespace pagerprog {

// A programmer that answers that it finds no EEPROM is there with no pager in it; one that
// answers nothing has gone, and one that answers another error letter has failed.
SocketState socketState(Context& ctx, PagerLink& link) {
    if (ctx.program.usbProgrammerInUse) {
        UsbProgrammer& usb = link.usb();
        if (usb.currentDevice() == nullptr) return {false, "no USB programmer is in use"};
        std::array<std::uint8_t, kChunkSize> chunk{};
        if (usb.readChunk(findChip(16)->chipCode, 0, chunk)) return {true, ""};
        return {false, usb.pagerMissing() ? "" : usb.error()};
    }
    BusMaster& bus = link.bus();
    bus.setChip(*findChip(16));
    if (const auto problem = bus.adapterOn(ctx.program.portBase)) return {false, *problem};
    const bool answers = bus.blockAnswers(0);
    bus.adapterOff();
    return {answers, ""};
}

}  // namespace pagerprog
