#include "app/pager/programmer_presence.h"

#include <algorithm>
#include <cstdio>
#include <system_error>

#include "app/pager/device_advice.h"
#include "context/context.h"
#include "link/pager_link.h"
#include "link/port_access.h"

namespace pagerprog {

std::string programmerName(const HidDevice& device) {
    const std::string port = device.portPath().empty() ? "" : "at " + device.portPath() + " ";
    return "USB programmer " + port + "(" + device.path() + ")";
}

ProgrammerPresence::ProgrammerPresence(Context& ctx, PagerLink& link) : ctx_(ctx), link_(link) {
    link_.hid().onDeviceChange([this] { deviceChange(); });
}

void ProgrammerPresence::deviceChange() {
    forgetUnpluggedRefusals();
    giveBackListedDevices();
    UsbProgrammer& usb = link_.usb();
    if (usb.releaseIfUnplugged()) programmerUnplugged();
    while (usb.currentDevice() == nullptr) {
        HidDevice* device = usb.takeFirstProgrammer(wantedPort_);
        if (device == nullptr) break;
        const UsbProgrammer::Fitness fitness = UsbProgrammer::fitness(*device);
        if (fitness.problem.empty()) {
            programmerArrived();
            break;
        }
        refuse(*device, fitness);
    }
    enumerateDevices();
}

// A programmer that cannot carry the protocol is said so once, and kept aside (checked
// out, so it is not taken again) until it is unplugged; the path stays as it was.
void ProgrammerPresence::refuse(HidDevice& device, const UsbProgrammer::Fitness& fitness) {
    link_.usb().use(nullptr);
    std::string line = programmerName(device) + " cannot be used: " + fitness.problem;
    if (const std::string fix = programmerFix(fitness.openProblem); !fix.empty()) line += " " + fix;
    refused_.push_back({&device, fitness.problem});
    ctx_.host.log(line);
}

std::string ProgrammerPresence::refusalAt(const std::string& portPath) const {
    for (const Refusal& refusal : refused_)
        if (refusal.device->portPath() == portPath) return refusal.problem;
    return "";
}

void ProgrammerPresence::forgetUnpluggedRefusals() {
    std::erase_if(refused_, [this](const Refusal& refusal) {
        if (refusal.device->pluggedIn()) return false;
        link_.hid().release(refusal.device);
        return true;
    });
}

// The list's devices go back to the layer before a change is handled, so that the
// programmer of a line can be taken into use when the current one goes.
void ProgrammerPresence::giveBackListedDevices() {
    for (HidDevice* device : listed_) link_.hid().giveBack(device);
    listed_.clear();
    devListLines_.clear();
    devListDevices_.clear();
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

// A programmer nobody here holds is opened only to see whether another program does.
std::string ProgrammerPresence::standing(HidDevice& device) const {
    if (!UsbProgrammer::isProgrammer(device)) return "not a programmer";
    if (&device == link_.usb().currentDevice()) return "in use";
    for (const Refusal& refusal : refused_)
        if (refusal.device == &device) return "cannot be used";
    const UsbProgrammer::Fitness fitness = UsbProgrammer::fitness(device);
    device.close();
    if (fitness.openProblem == HidOpenProblem::Busy) return "in use by another program";
    return fitness.problem.empty() ? "free" : "cannot be used";
}

void ProgrammerPresence::enumerateDevices() {
    giveBackListedDevices();
    HidController& hid = link_.hid();
    hid.enumerate([this, &hid](HidDevice& device, int) {
        std::string line = device.productString();
        if (line.empty()) {
            char text[32];
            std::snprintf(text, sizeof text, "Device VID=%04X PID=%04X", device.vendorId(), device.productId());
            line = text;
        }
        if (!device.portPath().empty()) line += " at " + device.portPath();
        line += ": " + standing(device);
        // Check it out (unless its holder already has) so the line keeps its device.
        if (!device.checkedOut()) {
            hid.checkOut([&device](const HidDevice& candidate) { return &candidate == &device; });
            listed_.push_back(&device);
        }
        devListLines_.push_back(line);
        devListDevices_.push_back(&device);
    });
}

// Only a programmer that can be used is taken: requests sent to any other HID device (a
// keyboard, a UPS) could do anything there.
void ProgrammerPresence::DevListBoxClick(int selected) {
    if (selected < 0 || static_cast<std::size_t>(selected) >= devListDevices_.size()) return;
    HidDevice* device = devListDevices_[static_cast<std::size_t>(selected)];
    UsbProgrammer& usb = link_.usb();
    if (device == usb.currentDevice()) return;
    if (!UsbProgrammer::isProgrammer(*device)) {
        ctx_.host.log("Only a USB programmer can be taken into use.");
        return;
    }
    if (const UsbProgrammer::Fitness fitness = UsbProgrammer::fitness(*device); !fitness.problem.empty()) {
        device->close();
        ctx_.host.log(programmerName(*device) + " cannot be used: " + fitness.problem);
        return;
    }
    // The programmer in use so far stays on the list, free for another program.
    if (HidDevice* previous = usb.currentDevice()) {
        previous->close();
        listed_.push_back(previous);
    }
    std::erase(listed_, device);
    usb.use(device);
    ctx_.model.setElementEnabled(element::menuParallelPort, false);
    enumerateDevices();
}

void ProgrammerPresence::dataError(int systemErrorCode) {
    ctx_.host.messageBox("Read Error: " + std::system_category().message(systemErrorCode));
}

}  // namespace pagerprog
