// HID devices on Linux through hidapi's hidraw backend, with udev for hot-plug and for
// the USB port each device is plugged into. Report lengths and report IDs come from the
// report descriptor in sysfs, since this hidapi cannot report it. Devices with and without
// numbered reports both work. A device opened here is locked against every other holder.
#pragma once

#include "link/backend/udev_monitor.h"
#include "link/hid_backend.h"

namespace pagerprog {

class HidapiBackend : public HidBackend {
public:
    HidapiBackend();
    ~HidapiBackend() override;
    HidapiBackend(const HidapiBackend&) = delete;
    HidapiBackend& operator=(const HidapiBackend&) = delete;

    std::vector<HidDeviceInfo> enumerate() override;
    HidOpening open(const std::string& path) override;
    bool takeChangeNotices() override { return monitor_.takeNotices(); }
    int changeNoticeFd() const override { return monitor_.fd(); }

    // "/dev/hidrawN" -> "/sys/class/hidraw/hidrawN/device/report_descriptor".
    static std::string reportDescriptorPath(const std::string& devicePath);

private:
    struct udev* udev_;
    bool initialised_ = false;
    UdevMonitor monitor_;
};

}  // namespace pagerprog
