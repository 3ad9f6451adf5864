#include "link/sim/simulated_port.h"

#include "link/adapter_wiring.h"

namespace pagerprog {

using namespace wiring;

std::optional<std::string> SimulatedPort::claim(std::uint16_t base) {
    if (claimError_) return claimError_;
    ++claims;
    claimed_ = true;
    base_ = base;
    return std::nullopt;
}

void SimulatedPort::release() {
    ++releases;
    claimed_ = false;
}

void SimulatedPort::shutDown() {
    ++shutDowns;
    claimed_ = false;
}

bool SimulatedPort::owns(std::uint16_t port) {
    if (claimed_ && port >= base_ && port <= base_ + kControlRegister) return true;
    ++accessesOutsideClaim;
    return false;
}

bool SimulatedPort::adapterPowered() const { return wiring::adapterPowered(data_, control_); }

bool SimulatedPort::sdaLine() const {
    const bool devicePulls = device_ != nullptr && adapterPowered() && device_->pullsSdaLow();
    return (data_ & kSdaOut) != 0 && !devicePulls;
}

std::uint8_t SimulatedPort::readPort(std::uint16_t port) {
    if (!owns(port)) return 0xFF;
    if (removeAt_ && port - base_ == kStatusRegister && statusReads_ >= *removeAt_) removed_ = true;
    if (removed_) return 0;
    switch (port - base_) {
        case kDataRegister: return data_;
        case kStatusRegister: {
            const bool stuck = stuckHighAt_ && *stuckHighAt_ == statusReads_;
            ++statusReads_;
            return sdaLine() || stuck ? kSdaIn : 0;
        }
        default: return control_;
    }
}

void SimulatedPort::writePort(std::uint16_t port, std::uint8_t value) {
    if (!owns(port) || port - base_ == kStatusRegister || removed_) return;
    const bool wasPowered = adapterPowered();
    if (port - base_ == kDataRegister)
        data_ = value;
    else
        control_ = value;
    const bool powered = adapterPowered();
    if (device_ != nullptr && powered != wasPowered) device_->powerChanged(powered);
    const bool scl = (data_ & kSclOut) != 0;
    if (!powered) return;
    if (device_ != nullptr) device_->linesChanged(scl, sdaLine());
    for (const auto& watcher : watchers_) watcher(scl, sdaLine());
}

}  // namespace pagerprog
