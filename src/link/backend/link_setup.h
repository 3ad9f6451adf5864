// Builds the pager link a front end uses: the real parallel port and USB HID devices,
// or, for trying the tool without hardware, a simulated USB programmer or parallel-port
// adapter with a simulated pager whose EEPROM may persist in a pager file.
#pragma once

#include <memory>
#include <optional>
#include <string>

namespace pagerprog {

class Clock;
class HidBackend;
class PagerLink;
class PagerSupply;
class PortAccess;
struct SimulatedDevices;

class LinkSetup {
public:
    // `simulate` is empty for the real devices, else "usb" or "lpt", optionally followed
    // by ":PAGERFILE", or by ":FOLDER" of pager files, one per pager of a hands-free batch. Throws
    // std::invalid_argument for any other text, and std::runtime_error for a pager file that is no pager file or cannot
    // be written.
    explicit LinkSetup(const std::string& simulate);
    ~LinkSetup();
    LinkSetup(const LinkSetup&) = delete;
    LinkSetup& operator=(const LinkSetup&) = delete;

    PagerLink& link() { return *link_; }
    Clock& clock() { return *clock_; }
    // For the status log: what is attached ("" for the real devices).
    const std::string& description() const { return description_; }
    // Why the simulated pager's file did not take a write since the last call ("" when
    // it took them all). The write itself then failed its verify: the pager kept its bytes.
    std::string takePagerFileError();
    // The simulated devices, for tests and the simulate mode (null for the real ones).
    SimulatedDevices* simulated() { return simulated_.get(); }

private:
    std::unique_ptr<Clock> clock_;
    std::unique_ptr<SimulatedDevices> simulated_;
    std::unique_ptr<PagerSupply> supply_;
    std::unique_ptr<PortAccess> realPort_;
    std::unique_ptr<HidBackend> realHid_;
    std::unique_ptr<PagerLink> link_;
    std::string pagerFile_;
    std::string description_;
};

}  // namespace pagerprog
