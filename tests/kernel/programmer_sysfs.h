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

struct Plugging;

struct ProgrammerIdentity {
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::string product;  // the USB product string, the device's only string here
};

std::vector<std::uint8_t> programmerReportDescriptor(std::uint8_t reportId, unsigned reportSize);

// The four devices, parents first, for a programmer plugged in so: the USB device named
// by its port path under the root hub's bus ("1-2.3" behind the hub at "1-2"), its
// interface, the HID device (numbered by the HID devices since boot, as hid_add_device
// names them) and the hidraw node of its minor. A serial goes into the USB device's
// `serial` and the HID device's HID_UNIQ, as usbhid_probe puts it there.
std::vector<SysfsDevice> programmerDevices(const ProgrammerIdentity& identity,
                                           const std::vector<std::uint8_t>& reportDescriptor, const Plugging& plugging);

}  // namespace fake_kernel
