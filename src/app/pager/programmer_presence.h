// What the window does when a USB programmer comes or goes: the first attached
// programmer is taken into use and the window switches to the USB path (bus timing
// hidden, parallel-port menu and model switch disabled, read and write enabled); when
// it is unplugged the window goes back to the parallel port at LPT1 with read and write
// disabled until a programmer returns. A programmer that cannot carry the protocol (reports
// too short, or a device this user may not open) is said so once and left aside. Also the
// device list and the layer's data errors.
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

    // Run by the layer after start-up and whenever devices came or went.
    void deviceChange();

    // The device list (`DevListBox`): one line per plugged-in device, each device checked
    // out and kept with its line; a click makes the selected line's device current.
    void enumerateDevices();
    const std::vector<std::string>& devListLines() const { return devListLines_; }
    void DevListBoxClick(int selected);
    // The layer's data-error report: "Read Error: " and the system's text for the code.
    void dataError(int systemErrorCode);

private:
    void programmerUnplugged();
    void programmerArrived();
    void refuse(HidDevice& device, const UsbProgrammer::Fitness& fitness);
    void forgetUnpluggedRefusals();

    Context& ctx_;
    PagerLink& link_;
    std::vector<std::string> devListLines_;
    std::vector<HidDevice*> devListDevices_;
    std::vector<HidDevice*> refused_;
};

}  // namespace pagerprog
