// The part of sysfs the fake kernel shows: device directories with their attribute files,
// each linked to its parent. Class devices also appear under /sys/class/<subsystem>/ and
// have a "device" link to their parent, as drivers/base/core.c sets them up.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace fake_kernel {

struct SysfsDevice {
    std::string syspath;    // "/sys/devices/..."
    std::string subsystem;  // "usb", "hid", "hidraw"
    std::string devtype;    // "" when the device has none
    std::string devnode;    // "" when the device has no node in /dev
    std::string parent;     // the parent's syspath, "" at the top
    bool classDevice = false;
    // Attribute file name -> the bytes read() returns (text attributes end in a newline).
    std::map<std::string, std::string> attributes;
};

class SysfsTree {
public:
    // True for paths in the subtrees this fake kernel answers for.
    static bool owns(const std::string& path);

    void add(SysfsDevice device) { devices_.push_back(std::move(device)); }
    void remove(const std::string& syspath);

    // `path` with the class links and "device" links resolved.
    std::string canonical(const std::string& path) const;
    const SysfsDevice* find(const std::string& syspath) const;
    // The device at `syspath` and its parents, nearest first; empty when there is none.
    std::vector<SysfsDevice> lineage(const std::string& syspath) const;
    // The syspaths of the devices of a subsystem (of all devices for ""), sorted.
    std::vector<std::string> subsystemDevices(const std::string& subsystem) const;
    // The contents of the attribute file at `path`, if there is one.
    std::optional<std::string> readFile(const std::string& path) const;

private:
    std::vector<SysfsDevice> devices_;
};

}  // namespace fake_kernel
