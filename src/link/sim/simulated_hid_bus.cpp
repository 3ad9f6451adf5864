#include "link/sim/simulated_hid_bus.h"

#include "link/sim/simulated_usb_programmer.h"

namespace pagerprog {

std::vector<HidDeviceInfo> SimulatedHidBus::enumerate() {
    std::vector<HidDeviceInfo> devices;
    for (SimulatedUsbProgrammer* programmer : programmers_)
        for (HidDeviceInfo& device : programmer->enumerate()) devices.push_back(std::move(device));
    return devices;
}

HidOpening SimulatedHidBus::open(const std::string& path) {
    for (SimulatedUsbProgrammer* programmer : programmers_) {
        for (const HidDeviceInfo& device : programmer->enumerate())
            if (device.path == path) return programmer->open(path);
    }
    return {nullptr, HidOpenProblem::Gone};
}

// Every programmer's notices are taken, not only the first one's.
bool SimulatedHidBus::takeChangeNotices() {
    bool changed = false;
    for (SimulatedUsbProgrammer* programmer : programmers_) changed = programmer->takeChangeNotices() || changed;
    return changed;
}

}  // namespace pagerprog
