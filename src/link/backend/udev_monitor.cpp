#include "link/backend/udev_monitor.h"

#include <libudev.h>

namespace pagerprog {

UdevMonitor::UdevMonitor() : udev_(udev_new()) {
    if (udev_ == nullptr) return;
    monitor_ = udev_monitor_new_from_netlink(udev_, "udev");
    if (monitor_ == nullptr) return;
    if (udev_monitor_filter_add_match_subsystem_devtype(monitor_, "hidraw", nullptr) < 0 ||
        udev_monitor_enable_receiving(monitor_) < 0) {
        udev_monitor_unref(monitor_);
        monitor_ = nullptr;
    }
}

UdevMonitor::~UdevMonitor() {
    if (monitor_ != nullptr) udev_monitor_unref(monitor_);
    if (udev_ != nullptr) udev_unref(udev_);
}

int UdevMonitor::fd() const { return monitor_ != nullptr ? udev_monitor_get_fd(monitor_) : -1; }

bool UdevMonitor::takeNotices() {
    if (monitor_ == nullptr) return false;
    bool any = false;
    // The monitor's socket is non-blocking: this returns null once the queue is empty.
    while (auto* device = udev_monitor_receive_device(monitor_)) {
        any = true;
        udev_device_unref(device);
    }
    return any;
}

}  // namespace pagerprog
