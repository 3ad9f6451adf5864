#include "link/backend/link_setup.h"

#include <filesystem>
#include <stdexcept>

#include "link/backend/hidapi_backend.h"
#include "link/backend/ppdev_port.h"
#include "link/clock.h"
#include "link/pager_link.h"
#include "link/parallel_ports.h"
#include "link/sim/pager_supply.h"
#include "link/sim/simulated_devices.h"
#include "link/sim/simulated_hid_bus.h"
#include "link/sim/simulated_parallel_ports.h"

namespace pagerprog {

// One simulated programmer or adapter with its pager, its pager file or its supply of pagers.
class LinkSetup::Simulation {
public:
    // `usbNumber` numbers the USB programmers (sim1, sim2, ...), `lptNumber` the adapters.
    Simulation(Clock& clock, const std::string& word, int usbNumber, int lptNumber, int freshPagers) {
        const auto colon = word.find(':');
        const std::string path = word.substr(0, colon);
        if (path != "usb" && path != "lpt") throw std::invalid_argument("--simulate takes usb or lpt, not " + path);
        std::string pagerFile;
        if (colon != std::string::npos) {
            pagerFile = word.substr(colon + 1);
            if (pagerFile.empty()) throw std::invalid_argument("--simulate " + path + ": needs a pager file name");
        }
        usb = path == "usb";
        if (!usb && lptNumber > static_cast<int>(parallel_port::all.size()))
            throw std::invalid_argument("--simulate lpt: there are two parallel ports, LPT1 and LPT2");
        devices = std::make_unique<SimulatedDevices>(
            clock, usb ? SimulatedDevices::Path::UsbProgrammer : SimulatedDevices::Path::ParallelPort);
        if (usb) {
            name = "sim" + std::to_string(usbNumber);
            devices->programmer.portPath = name;
        } else {
            const ParallelPort& port = parallel_port::all[static_cast<std::size_t>(lptNumber - 1)];
            base = port.base;
            name = std::string(port.option);
        }
        pagerText = "a factory-fresh pager";
        if (std::filesystem::is_directory(pagerFile)) {
            supply = std::make_unique<PagerSupply>(devices->pager, clock, pagerFile, freshPagers);
            pagerText = (supply->made() > 0 ? std::to_string(supply->made()) + " factory-fresh pagers made in "
                                            : std::string("the pagers of ")) +
                        pagerFile + ", changed by hand one after another";
        } else if (!pagerFile.empty()) {
            pagerText = devices->pager.keepIn(pagerFile) == SimulatedPager::PagerFile::Loaded
                            ? "the pager in " + pagerFile
                            : "a factory-fresh pager, kept in " + pagerFile;
        }
    }

    // The status-log words; a programmer is named where there are several.
    std::string description(bool named) const {
        return std::string(usb ? "USB programmer" : "parallel-port adapter") + (named ? " " + name : "") +
               " attached, with " + pagerText;
    }

    bool usb = false;
    std::string name;  // "sim2", "lpt1"
    std::uint16_t base = 0;
    std::string pagerText;
    std::unique_ptr<SimulatedDevices> devices;
    std::unique_ptr<PagerSupply> supply;
};

LinkSetup::LinkSetup(const std::vector<std::string>& simulate, int freshPagers)
    : clock_(std::make_unique<RealClock>()) {
    if (simulate.empty()) {
        port_ = newPortAccess();
        hid_ = std::make_unique<HidapiBackend>();
        link_ = std::make_unique<PagerLink>(*port_, *clock_, *hid_);
        return;
    }
    int usbNumber = 0, lptNumber = 0;
    std::vector<SimulatedUsbProgrammer*> programmers;
    for (const std::string& word : simulate) {
        const bool usb = word.starts_with("usb");
        simulations_.push_back(std::make_unique<Simulation>(*clock_, word, usb ? ++usbNumber : usbNumber,
                                                            usb ? lptNumber : ++lptNumber, freshPagers));
        if (simulations_.back()->usb) programmers.push_back(&simulations_.back()->devices->programmer);
    }
    const bool several = simulations_.size() > 1;
    for (const auto& simulation : simulations_)
        description_ += (description_.empty() ? "Simulated " : "; simulated ") + simulation->description(several);
    // One simulated device is reached on every path and port, as before gangs.
    if (several)
        hid_ = std::make_unique<SimulatedHidBus>(programmers);
    else
        port_ = newPortAccess();
    link_ = std::make_unique<PagerLink>(port_ ? *port_ : simulations_.front()->devices->port, *clock_, hidDevices());
}

LinkSetup::~LinkSetup() = default;

// The real ports through ppdev; several simulated adapters each at its port; one simulated
// device's port is shared (null).
std::unique_ptr<PortAccess> LinkSetup::newPortAccess() {
    if (simulations_.empty()) return std::make_unique<PpdevPort>();
    if (simulations_.size() == 1) return nullptr;
    auto ports = std::make_unique<SimulatedParallelPorts>();
    for (const auto& simulation : simulations_)
        if (!simulation->usb) ports->stand(simulation->base, simulation->devices->port);
    return ports;
}

std::unique_ptr<StationLink> LinkSetup::stationLink() {
    auto station = std::make_unique<StationLink>();
    station->port = newPortAccess();
    PortAccess& port = station->port ? *station->port : simulations_.front()->devices->port;
    station->link = std::make_unique<PagerLink>(port, *clock_, hidDevices());
    return station;
}

HidBackend& LinkSetup::hidDevices() { return hid_ ? *hid_ : simulations_.front()->devices->programmer; }

std::string LinkSetup::takePagerFileError() {
    std::string errors;
    for (const auto& simulation : simulations_) {
        const std::string error = simulation->devices->pager.takeFileError();
        if (!error.empty()) errors += (errors.empty() ? "" : "; ") + error;
    }
    return errors;
}

std::string LinkSetup::takePagerFileError(const std::string& programmer) {
    for (const auto& simulation : simulations_)
        if (simulation->name == programmer) return simulation->devices->pager.takeFileError();
    return "";
}

SimulatedDevices* LinkSetup::simulated(std::size_t index) {
    return index < simulations_.size() ? simulations_[index]->devices.get() : nullptr;
}

std::vector<std::uint16_t> LinkSetup::simulatedAdapters() const {
    std::vector<std::uint16_t> bases;
    for (const auto& simulation : simulations_)
        if (!simulation->usb) bases.push_back(simulation->base);
    return bases;
}

}  // namespace pagerprog
