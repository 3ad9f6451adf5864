// HID devices on Linux through hidapi's hidraw backend, with udev for hot-plug. Report
// lengths and report IDs come from the report descriptor in sysfs, since this hidapi
// cannot report it. Devices with and without numbered reports both work.
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
    std::unique_ptr<HidConnection> open(const std::string& path) override;
    HidOpenProblem lastOpenProblem() const override { return openProblem_; }
    bool takeChangeNotices() override { return monitor_.takeNotices(); }
    int changeNoticeFd() const override { return monitor_.fd(); }

    // "/dev/hidrawN" -> "/sys/class/hidraw/hidrawN/device/report_descriptor".
    static std::string reportDescriptorPath(const std::string& devicePath);

private:
    static HidOpenProblem whyNotOpened(const std::string& path);

    bool initialised_ = false;
    HidOpenProblem openProblem_ = HidOpenProblem::None;
    UdevMonitor monitor_;
};

}  // namespace pagerprog
