#include "programmer_sysfs.h"

#include <linux/input.h>

#include <cstdio>

#include "fake_hidraw.h"

namespace fake_kernel {

namespace {

constexpr const char* kRootHub = "/sys/devices/pci0000:00/0000:00:14.0/usb1";
constexpr unsigned kHidGroupGeneric = 0x0001;

std::string format(const char* pattern, unsigned a, unsigned b = 0, unsigned c = 0, unsigned d = 0) {
    char text[128];
    std::snprintf(text, sizeof text, pattern, a, b, c, d);
    return text;
}

// A device behind hubs sits in the directory of each hub: "1-2.3" in "usb1/1-2/".
std::string usbDevicePath(const std::string& port) {
    std::string path = kRootHub;
    for (std::size_t dot = port.find('.'); dot != std::string::npos; dot = port.find('.', dot + 1))
        path += "/" + port.substr(0, dot);
    return path + "/" + port;
}

}  // namespace

std::vector<std::uint8_t> programmerReportDescriptor(std::uint8_t reportId, unsigned reportSize) {
    std::vector<std::uint8_t> d = {0x06, 0x00, 0xFF,         // Usage Page (vendor 0xFF00)
                                   0x09, 0x01,               // Usage (1)
                                   0xA1, 0x01};              // Collection (Application)
    if (reportId != 0) d.insert(d.end(), {0x85, reportId});  // Report ID
    const auto count = static_cast<std::uint8_t>(reportSize);
    for (const std::uint8_t mainItem : {std::uint8_t{0x81}, std::uint8_t{0x91}}) {   // Input, then Output
        d.insert(d.end(), {0x09, 0x02,                                               // Usage (2)
                           0x15, 0x00, 0x26, 0xFF, 0x00,                             // Logical Minimum 0, Maximum 255
                           0x75, 0x08,                                               // Report Size (8)
                           0x96, count, static_cast<std::uint8_t>(reportSize >> 8),  // Report Count
                           mainItem, 0x02});                                         // (Data, Variable, Absolute)
    }
    d.push_back(0xC0);  // End Collection
    return d;
}

std::vector<SysfsDevice> programmerDevices(const ProgrammerIdentity& identity,
                                           const std::vector<std::uint8_t>& reportDescriptor,
                                           const Plugging& plugging) {
    const std::string usb = usbDevicePath(plugging.port);
    const std::string interface = usb + "/" + plugging.port + ":1.0";
    const std::string hid = interface + format("/%04X:%04X:%04X.%04X", BUS_USB, identity.vendorId, identity.productId,
                                               static_cast<unsigned>(plugging.hidSequence));
    const std::string node = format("hidraw%u", static_cast<unsigned>(plugging.minor));
    // The bus number and the ports behind it: "1-2.3" is "2.3" on bus 1.
    const std::string ports = plugging.port.substr(plugging.port.find('-') + 1);

    SysfsDevice usbDevice{usb, "usb", "usb_device", "", "", false, {}};
    usbDevice.attributes = {{"idVendor", format("%04x\n", identity.vendorId)},
                            {"idProduct", format("%04x\n", identity.productId)},
                            {"bcdDevice", "0100\n"},
                            {"product", identity.product + "\n"}};
    if (!plugging.serial.empty()) usbDevice.attributes["serial"] = plugging.serial + "\n";

    SysfsDevice usbInterface{interface, "usb", "usb_interface", "", usb, false, {}};
    usbInterface.attributes = {{"bInterfaceNumber", "00\n"}, {"bInterfaceClass", "03\n"}};

    // hid_uevent() in drivers/hid/hid-core.c; HID_NAME is the product alone when the device
    // has no manufacturer string (usbhid_probe).
    SysfsDevice hidDevice{hid, "hid", "", "", interface, false, {}};
    hidDevice.attributes = {
        {"uevent", "DRIVER=hid-generic\n" +
                       format("HID_ID=%04X:%08X:%08X\n", BUS_USB, identity.vendorId, identity.productId) +
                       "HID_NAME=" + identity.product + "\nHID_PHYS=usb-0000:00:14.0-" + ports +
                       "/input0\nHID_UNIQ=" + plugging.serial + "\n" +
                       format("MODALIAS=hid:b%04Xg%04Xv%08Xp%08X\n", BUS_USB, kHidGroupGeneric, identity.vendorId,
                              identity.productId)},
        {"report_descriptor", std::string(reportDescriptor.begin(), reportDescriptor.end())}};

    SysfsDevice hidraw{hid + "/hidraw/" + node, "hidraw", "", "/dev/" + node, hid, true, {}};
    return {usbDevice, usbInterface, hidDevice, hidraw};
}

}  // namespace fake_kernel
