#include "app/pager/programmer_presence.h"

#include "app/pager/device_advice.h"

#include <algorithm>
#include <cstdio>
#include <system_error>

#include "context/context.h"
#include "link/pager_link.h"
#include "link/port_access.h"

namespace pagerprog {

ProgrammerPresence::ProgrammerPresence(Context& ctx, PagerLink& link) : ctx_(ctx), link_(link) {
    link_.hid().onDeviceChange([this] { deviceChange(); });
}

void ProgrammerPresence::deviceChange() {
    forgetUnpluggedRefusals();
    UsbProgrammer& usb = link_.usb();
    if (usb.releaseIfUnplugged()) programmerUnplugged();
    while (usb.currentDevice() == nullptr) {
        HidDevice* device = usb.takeFirstProgrammer();
        if (device == nullptr) return;
        const UsbProgrammer::Fitness fitness = UsbProgrammer::fitness(*device);
        if (fitness.problem.empty()) {
            programmerArrived();
            return;
        }
        refuse(*device, fitness);
    }
}

// A programmer that cannot carry the protocol is said so once, and kept aside (checked
// out, so it is not taken again) until it is unplugged; the path stays as it was.
void ProgrammerPresence::refuse(HidDevice& device, const UsbProgrammer::Fitness& fitness) {
    link_.usb().use(nullptr);
    refused_.push_back(&device);
    std::string line = "USB programmer " + device.path() + " cannot be used: " + fitness.problem;
    if (const std::string fix = programmerFix(fitness.openProblem); !fix.empty()) line += " " + fix;
    ctx_.host.log(line);
}

void ProgrammerPresence::forgetUnpluggedRefusals() {
    std::erase_if(refused_, [this](HidDevice* device) {
        if (device->pluggedIn()) return false;
        link_.hid().release(device);
        return true;
    });
}

void ProgrammerPresence::programmerUnplugged() {
    SettingsModel& m = ctx_.model;
    ctx_.program.portBase = parallel_port::lpt1.base;
    ctx_.program.usbProgrammerInUse = false;
    m.setElementVisible(element::groupSpeed, true);
    ctx_.host.log("USB port unplug.");
    m.setElementEnabled(element::writeToPager, false);
    m.setElementEnabled(element::readFromPager, false);
}

void ProgrammerPresence::programmerArrived() {
    SettingsModel& m = ctx_.model;
    ctx_.host.log("USB port is ready.");
    // The parallel port is not used again while the programmer is present; an access that
    // claims the port only during transfers holds nothing to free.
    if (link_.port().holdsPortBetweenTransfers()) link_.port().shutDown();
    ctx_.program.usbProgrammerInUse = true;
    m.setElementEnabled(element::menuParallelPort, false);
    m.setElementVisible(element::groupSpeed, false);
    m.setElementEnabled(element::writeToPager, true);
    m.setElementEnabled(element::readFromPager, true);
    m.setElementEnabled(element::switchModel, false);
    link_.usb().hello();
}

void ProgrammerPresence::enumerateDevices() {
    HidController& hid = link_.hid();
    hid.enumerate([this, &hid](HidDevice& device, int) {
        std::string line = device.productString();
        if (line.empty()) {
            char text[32];
            std::snprintf(text, sizeof text, "Device VID=%04X PID=%04X", device.vendorId(), device.productId());
            line = text;
        }
        // Check it out (unless its holder already has) so the line keeps its device.
        if (!device.checkedOut()) hid.checkOut([&device](const HidDevice& candidate) { return &candidate == &device; });
        devListLines_.push_back(line);
        devListDevices_.push_back(&device);
    });
}

void ProgrammerPresence::DevListBoxClick(int selected) {
    if (selected < 0 || static_cast<std::size_t>(selected) >= devListDevices_.size()) return;
    link_.usb().use(devListDevices_[static_cast<std::size_t>(selected)]);
    ctx_.model.setElementEnabled(element::menuParallelPort, false);
}

void ProgrammerPresence::dataError(int systemErrorCode) {
    ctx_.host.messageBox("Read Error: " + std::system_category().message(systemErrorCode));
}

}  // namespace pagerprog
