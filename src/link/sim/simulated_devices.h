// A simulated pager on both paths at once: its EEPROM on a bit-level 24C16 behind the
// simulated parallel-port adapter, and the same EEPROM behind a simulated USB
// programmer. Tests, benchmarks and the simulate mode put a PagerLink on top.
#pragma once

#include "link/sim/simulated_24c16.h"
#include "link/sim/simulated_pager.h"
#include "link/sim/simulated_port.h"
#include "link/sim/simulated_usb_programmer.h"

namespace pagerprog {

class Clock;

struct SimulatedDevices {
    enum class Path { ParallelPort, UsbProgrammer };

    // The chip measures its write cycle on `clock`. On the parallel-port path the
    // programmer starts unplugged, so the link takes the adapter.
    SimulatedDevices(Clock& clock, Path path) : chip(pager, clock), programmer(pager) {
        port.attach(&chip);
        if (path == Path::ParallelPort) programmer.unplug();
        programmer.takeChangeNotices();
    }
    SimulatedDevices(const SimulatedDevices&) = delete;
    SimulatedDevices& operator=(const SimulatedDevices&) = delete;

    SimulatedPager pager;
    SimulatedPort port;
    Simulated24C16 chip;
    SimulatedUsbProgrammer programmer;
};

}  // namespace pagerprog
