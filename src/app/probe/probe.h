// What a technician runs when nothing works: which parallel ports and USB programmers this
// user can use (and, where not, why and the fix), then, on the chosen path, whether a
// pager answers: on the parallel port which of the chip's eight blocks acknowledge, and on
// either path the first 16 bytes and the checksum of the whole image, with the bus timing
// in effect. The report is plain data; probe_text.h words it.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "link/bus_timing.h"
#include "link/port_name.h"
#include "link/transfer_engine.h"

namespace pagerprog {

class PagerLink;

struct PortProbe {
    std::uint16_t base = 0;
    std::string device;
    std::string problem;  // empty when the port could be claimed
    std::string fix;
};

struct ProgrammerProbe {
    enum class State { Free, InUseHere, InUseElsewhere, Unusable };
    std::string path;      // the hidraw node
    std::string portPath;  // the USB port it is plugged into
    std::string serial;
    std::uint16_t vendorId = 0, productId = 0;
    std::string product;
    std::size_t inputLength = 0, outputLength = 0;
    State state = State::Free;
    std::string problem;  // why it cannot be used
    std::string fix;
};

struct PagerProbe {
    TransferRoute route;
    std::string device;                           // the port's device or the programmer's path
    std::string problem;                          // why the path could not be used, or why the read failed
    std::optional<std::uint8_t> answeringBlocks;  // parallel port: bit b for block b acknowledging
    bool read = false;                            // the whole image came in
    std::array<std::uint8_t, 16> head{};
    std::uint8_t storedChecksum = 0, computedChecksum = 0;
};

enum class ProbeOutcome { PagerAnswered, NothingUsable, NoPagerAnswered };

struct ProbeReport {
    std::vector<PortProbe> ports;
    std::vector<ProgrammerProbe> programmers;
    PagerProbe pager;
    BusTiming timing;
    ProbeOutcome outcome = ProbeOutcome::NothingUsable;
};

// `port` is where to try for a pager: a programmer this program holds or the first free
// one ("usb", or nothing), the programmer at a USB port, or a parallel port; nothing falls
// back on LPT1 when no programmer can be used. The HID layer must have been started.
ProbeReport probeDevices(PagerLink& link, const std::optional<PortName>& port);

}  // namespace pagerprog
