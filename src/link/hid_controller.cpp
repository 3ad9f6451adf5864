#include "link/hid_controller.h"

#include <algorithm>

namespace pagerprog {

HidConnection* HidDevice::connection() {
    if (!connection_ && pluggedIn_) {
        HidOpening opening = backend_.open(info_.path);
        connection_ = std::move(opening.connection);
        openProblem_ = opening.problem;
    }
    return connection_.get();
}

HidOpenProblem HidDevice::open() {
    if (connection() != nullptr) return HidOpenProblem::None;
    return pluggedIn_ ? openProblem_ : HidOpenProblem::Gone;
}

// A connection that failed is dropped and the device opened afresh on its next use: a
// programmer pulled out and put back between two scans keeps its path but not its handle.
bool HidDevice::writeReport(std::span<const std::uint8_t> report) {
    auto* open = connection();
    if (open != nullptr && open->writeReport(report)) return true;
    connection_.reset();
    return false;
}

int HidDevice::readReport(std::span<std::uint8_t> buffer, std::chrono::milliseconds timeout) {
    auto* open = connection();
    const int received = open != nullptr ? open->readReport(buffer, timeout) : -1;
    if (received < 0) connection_.reset();
    return received;
}

void HidController::start() {
    backend_.takeChangeNotices();  // the scan below sees everything those notices announced
    rescan();
    if (deviceChange_) deviceChange_();
}

bool HidController::pollChanges() {
    if (!backend_.takeChangeNotices()) return false;
    rescan();
    if (deviceChange_) deviceChange_();
    return true;
}

void HidController::rescan() {
    const auto present = backend_.enumerate();
    const auto isPresent = [&present](const HidDevice& device) {
        return std::any_of(present.begin(), present.end(),
                           [&device](const HidDeviceInfo& info) { return info.path == device.path(); });
    };
    // A vanished device is marked unplugged and loses its connection; a checked-out one
    // stays in the list for its holder to release.
    for (auto& device : devices_) {
        if (device->pluggedIn_ && !isPresent(*device)) {
            device->pluggedIn_ = false;
            device->connection_.reset();
        }
    }
    std::erase_if(devices_, [](const auto& device) { return !device->pluggedIn_ && !device->checkedOut_; });
    for (const auto& info : present) {
        const bool known = std::any_of(devices_.begin(), devices_.end(), [&info](const auto& device) {
            return device->pluggedIn_ && device->path() == info.path;
        });
        if (!known) devices_.push_back(std::make_unique<HidDevice>(backend_, info));
    }
}

HidDevice* HidController::checkOut(const Predicate& accept) {
    for (auto& device : devices_) {
        if (device->pluggedIn_ && !device->checkedOut_ && accept(*device)) {
            device->checkedOut_ = true;
            return device.get();
        }
    }
    return nullptr;
}

void HidController::release(HidDevice* device) {
    std::erase_if(devices_, [device](const auto& owned) { return owned.get() == device; });
}

void HidController::giveBack(HidDevice* device) {
    if (!device->pluggedIn_) {
        release(device);
        return;
    }
    device->checkedOut_ = false;
}

void HidController::enumerate(const std::function<void(HidDevice&, int index)>& handler) {
    int index = 0;
    for (auto& device : devices_) {
        if (device->pluggedIn_) handler(*device, index);
        ++index;
    }
}

}  // namespace pagerprog
