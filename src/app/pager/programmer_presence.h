// What the window does when a USB programmer comes or goes: the first attached programmer
// (the one at the port asked for, when one was) is taken into use and the window switches
// to the USB path (bus timing hidden, parallel-port menu and model switch disabled, read
// and write enabled); when it is unplugged the window goes back to the parallel port at
// LPT1 with read and write disabled until a programmer returns. A programmer that cannot
// carry the protocol (reports too short, a device this user may not open, one another
// program holds) is said so once and left aside. After each change the device list is
// filled again, one line per attached device with its port and how it stands. Also the
// layer's data errors.
#pragma once

#include <string>
#include <vector>

#include "link/usb_programmer.h"

namespace pagerprog {

class HidDevice;
class PagerLink;
struct Context;

class ProgrammerPresence {
public:
    // Registers itself as the HID layer's device-change handler.
    ProgrammerPresence(Context& ctx, PagerLink& link);

    // Takes only the programmer plugged into this USB port ("" for the first one).
    void wantPort(std::string portPath) { wantedPort_ = std::move(portPath); }
    // Why the programmer at this port was left aside ("" when it was not).
    std::string refusalAt(const std::string& portPath) const;

    // Run by the layer after start-up and whenever devices came or went.
    void deviceChange();

    // The device list (`DevListBox`): one line per plugged-in device, each device checked
    // out and kept with its line; a click makes the selected line's programmer current.
    void enumerateDevices();
    const std::vector<std::string>& devListLines() const { return devListLines_; }
    void DevListBoxClick(int selected);
    // The layer's data-error report: "Read Error: " and the system's text for the code.
    void dataError(int systemErrorCode);

private:
    struct Refusal {
        HidDevice* device;
        std::string problem;
    };

    void programmerUnplugged();
    void programmerArrived();
    void refuse(HidDevice& device, const UsbProgrammer::Fitness& fitness);
    void forgetUnpluggedRefusals();
    void giveBackListedDevices();
    // How the device stands, for its line.
    std::string standing(HidDevice& device) const;

    Context& ctx_;
    PagerLink& link_;
    std::string wantedPort_;
    std::vector<std::string> devListLines_;
    std::vector<HidDevice*> devListDevices_;
    std::vector<HidDevice*> listed_;  // the devices the list checked out itself
    std::vector<Refusal> refused_;
};

// "USB programmer at 1-2.3 (/dev/hidraw3)": how the status log names a programmer.
std::string programmerName(const HidDevice& device);

}  // namespace pagerprog
