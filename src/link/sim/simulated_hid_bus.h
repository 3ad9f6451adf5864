// Several simulated USB programmers seen as one machine's HID devices, for gangs of
// programmers without hardware: their devices listed together and each opened through the
// programmer it belongs to.
#pragma once

#include <vector>

#include "link/hid_backend.h"

namespace pagerprog {

class SimulatedUsbProgrammer;

class SimulatedHidBus : public HidBackend {
public:
    explicit SimulatedHidBus(std::vector<SimulatedUsbProgrammer*> programmers) : programmers_(std::move(programmers)) {}

    std::vector<HidDeviceInfo> enumerate() override;
    HidOpening open(const std::string& path) override;
    bool takeChangeNotices() override;

private:
    std::vector<SimulatedUsbProgrammer*> programmers_;
};

}  // namespace pagerprog
