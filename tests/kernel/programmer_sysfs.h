// What the USB and HID stacks put into sysfs for the plugged-in programmer: the USB
// device, its interface, the HID device (usbhid with hid-generic) and its hidraw node.
// The report descriptor is one vendor-page application collection with an input and an
// output report of the same size, numbered or not.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sysfs_tree.h"

namespace fake_kernel {

struct ProgrammerIdentity {
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::string product;  // the USB product string, the device's only string here
};

std::vector<std::uint8_t> programmerReportDescriptor(std::uint8_t reportId, unsigned reportSize);

// The four devices, parents first. `hidSequence` numbers HID devices since boot, as
// hid_add_device names them; `minor` is the hidraw minor number.
std::vector<SysfsDevice> programmerDevices(const ProgrammerIdentity& identity,
                                           const std::vector<std::uint8_t>& reportDescriptor, int hidSequence,
                                           int minor);

}  // namespace fake_kernel
