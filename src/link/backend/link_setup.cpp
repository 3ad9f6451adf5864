#include "link/backend/link_setup.h"

#include <filesystem>
#include <stdexcept>

#include "link/backend/hidapi_backend.h"
#include "link/backend/ppdev_port.h"
#include "link/clock.h"
#include "link/pager_link.h"
#include "link/sim/pager_supply.h"
#include "link/sim/simulated_devices.h"

namespace pagerprog {

LinkSetup::LinkSetup(const std::string& simulate) : clock_(std::make_unique<RealClock>()) {
    if (simulate.empty()) {
        realPort_ = std::make_unique<PpdevPort>();
        realHid_ = std::make_unique<HidapiBackend>();
        link_ = std::make_unique<PagerLink>(*realPort_, *clock_, *realHid_);
        return;
    }
    const auto colon = simulate.find(':');
    const std::string path = simulate.substr(0, colon);
    if (path != "usb" && path != "lpt") throw std::invalid_argument("--simulate takes usb or lpt, not " + path);
    if (colon != std::string::npos) {
        pagerFile_ = simulate.substr(colon + 1);
        if (pagerFile_.empty()) throw std::invalid_argument("--simulate " + path + ": needs a pager file name");
    }
    const bool usb = path == "usb";
    simulated_ = std::make_unique<SimulatedDevices>(
        *clock_, usb ? SimulatedDevices::Path::UsbProgrammer : SimulatedDevices::Path::ParallelPort);
    std::string pagerText = "a factory-fresh pager";
    if (std::filesystem::is_directory(pagerFile_)) {
        supply_ = std::make_unique<PagerSupply>(simulated_->pager, *clock_, pagerFile_);
        pagerText = "the pagers of " + pagerFile_ + ", changed by hand one after another";
    } else if (!pagerFile_.empty()) {
        pagerText = simulated_->pager.keepIn(pagerFile_) == SimulatedPager::PagerFile::Loaded
                        ? "the pager in " + pagerFile_
                        : "a factory-fresh pager, kept in " + pagerFile_;
    }
    link_ = std::make_unique<PagerLink>(simulated_->port, *clock_, simulated_->programmer);
    description_ = std::string(usb ? "Simulated USB programmer" : "Simulated parallel-port adapter") +
                   " attached, with " + pagerText;
}

LinkSetup::~LinkSetup() = default;

std::string LinkSetup::takePagerFileError() { return simulated_ ? simulated_->pager.takeFileError() : ""; }

}  // namespace pagerprog
