// A simulated pager on one path with the application's side of the link: the USB
// programmer's comings and goings, and transfers shown the way the window shows them
// (progress, port errors in the status log, programmer errors in message boxes).
#pragma once

#include <span>
#include <string_view>

#include "app/pager/pager_transfer.h"
#include "app/pager/programmer_presence.h"
#include "context/context.h"
#include "link/clock.h"
#include "link/pager_link.h"
#include "link/sim/simulated_devices.h"
#include "support/recording_host.h"

namespace pagerprog::testing {

struct PagerRig {
    explicit PagerRig(SimulatedDevices::Path path) : devices(clock, path) {}

    TransferResult transfer(std::string_view chipType, int select, std::string_view mode,
                            std::span<std::uint8_t> buffer) {
        return transferPager(context, link, chipType, select, mode, buffer).result;
    }

    RecordingHost host;
    Context context{host};
    SimulatedClock clock;
    SimulatedDevices devices;
    PagerLink link{devices.port, clock, devices.programmer};
    ProgrammerPresence presence{context, link};
};

}  // namespace pagerprog::testing
