// Builds the pager links a front end uses: the real parallel ports and USB HID devices,
// or, for trying the tool without hardware, simulated USB programmers and parallel-port
// adapters, each with a simulated pager whose EEPROM may persist in a pager file. Beside
// the front end's own link, each programmer of a gang gets a link of its own over the same
// devices.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace pagerprog {

class Clock;
class HidBackend;
class PagerLink;
class PortAccess;
struct SimulatedDevices;

// A link for one programmer of a gang: its own port access, HID layer, USB programmer and
// transfer engine, so that it works in a thread of its own beside the others.
struct StationLink {
    std::unique_ptr<PortAccess> port;  // null where the setup's port access is shared
    std::unique_ptr<PagerLink> link;
};

class LinkSetup {
public:
    // `simulate` is empty for the real devices, else one word per simulated device: "usb"
    // or "lpt", optionally followed by ":PAGERFILE", or by ":FOLDER" of pager files, one per
    // pager of a hands-free batch; an empty folder is filled with `freshPagers` factory-fresh
    // pager files. Simulated USB programmers are plugged into the ports sim1, sim2, ... in
    // the order given; simulated adapters stand at LPT1, then LPT2. Throws
    // std::invalid_argument for any other text, and std::runtime_error for a pager file that
    // is no pager file or cannot be written.
    explicit LinkSetup(const std::vector<std::string>& simulate, int freshPagers = 0);
    ~LinkSetup();
    LinkSetup(const LinkSetup&) = delete;
    LinkSetup& operator=(const LinkSetup&) = delete;

    // The front end's own link.
    PagerLink& link() { return *link_; }
    Clock& clock() { return *clock_; }
    // The HID devices every link of the setup reaches.
    HidBackend& hidDevices();
    std::unique_ptr<StationLink> stationLink();
    // For the status log: what is attached ("" for the real devices).
    const std::string& description() const { return description_; }
    // Why a simulated pager's file did not take a write since the last call ("" when it
    // took them all): every pager's, or, for one programmer of a gang, the pager behind
    // `programmer` ("sim2", "lpt1"). The write itself then failed its verify: the pager
    // kept its bytes.
    std::string takePagerFileError();
    std::string takePagerFileError(const std::string& programmer);
    // The simulated devices in the order given, for tests and the simulate mode (none for
    // the real ones).
    SimulatedDevices* simulated(std::size_t index = 0);
    // The port bases of the simulated adapters.
    std::vector<std::uint16_t> simulatedAdapters() const;

private:
    class Simulation;

    std::unique_ptr<PortAccess> newPortAccess();

    std::unique_ptr<Clock> clock_;
    std::vector<std::unique_ptr<Simulation>> simulations_;
    std::unique_ptr<PortAccess> port_;
    std::unique_ptr<HidBackend> hid_;
    std::unique_ptr<PagerLink> link_;
    std::string description_;
};

}  // namespace pagerprog
