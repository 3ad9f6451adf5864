// libudev over the fake sysfs, with the device events udevd would broadcast. Replaced are
// exactly the functions hidapi 0.13.1 (linux/hid.c) and the project's UdevMonitor call; the
// other libudev functions must never see this library's objects.
//   enumerate  lists the devices of the matched subsystems, by syspath
//   devices    syspath, devnode, subsystem, devtype, action; parents found by subsystem and
//              devtype belong to the child; sysattr values lose their trailing newlines
//   monitors   only the "udev" and "kernel" sources (else NULL with EINVAL); non-blocking:
//              receive_device gives NULL with EAGAIN when nothing waits; events pass the
//              subsystem/devtype filters and arrive only once receiving is enabled
// Checked against systemd 252's libudev (libudev-monitor.c, libudev-device.c) and its
// manual pages udev_device_new_from_syspath(3) and udev_device_get_syspath(3).
#pragma once

#include <vector>

#include "sysfs_tree.h"

namespace fake_kernel {

// An event for the first device of `lineage` (the device, then its parents) to every
// receiving monitor whose filter lets it through.
void announceDevice(const char* action, const std::vector<SysfsDevice>& lineage);

}  // namespace fake_kernel
