#include "sysfs_tree.h"

#include <algorithm>

namespace fake_kernel {

namespace {

constexpr const char* kOwnedTrees[] = {"/sys/class/hidraw/", "/sys/devices/pci0000:00/0000:00:14.0/usb1/"};

bool startsWith(const std::string& text, const std::string& prefix) { return text.rfind(prefix, 0) == 0; }

// Replaces `link` at the start of `path` (a whole path component) by `target`.
bool follow(std::string& path, const std::string& link, const std::string& target) {
    if (!startsWith(path, link) || (path.size() > link.size() && path[link.size()] != '/')) return false;
    path = target + path.substr(link.size());
    return true;
}

std::string className(const SysfsDevice& device) {
    return "/sys/class/" + device.subsystem + device.syspath.substr(device.syspath.find_last_of('/'));
}

}  // namespace

bool SysfsTree::owns(const std::string& path) {
    return std::any_of(std::begin(kOwnedTrees), std::end(kOwnedTrees),
                       [&path](const char* tree) { return startsWith(path, tree); });
}

void SysfsTree::remove(const std::string& syspath) {
    std::erase_if(devices_, [&syspath](const SysfsDevice& device) { return device.syspath == syspath; });
}

std::string SysfsTree::canonical(const std::string& path) const {
    std::string resolved = path;
    for (bool changed = true; changed;) {
        changed = false;
        for (const auto& device : devices_) {
            if (!device.classDevice) continue;
            changed = follow(resolved, className(device), device.syspath) ||
                      follow(resolved, device.syspath + "/device", device.parent) || changed;
        }
    }
    return resolved;
}

const SysfsDevice* SysfsTree::find(const std::string& syspath) const {
    const auto found = std::find_if(devices_.begin(), devices_.end(),
                                    [&syspath](const SysfsDevice& device) { return device.syspath == syspath; });
    return found == devices_.end() ? nullptr : &*found;
}

std::vector<SysfsDevice> SysfsTree::lineage(const std::string& syspath) const {
    std::vector<SysfsDevice> chain;
    for (const auto* device = find(canonical(syspath)); device != nullptr; device = find(device->parent))
        chain.push_back(*device);
    return chain;
}

std::vector<std::string> SysfsTree::subsystemDevices(const std::string& subsystem) const {
    std::vector<std::string> paths;
    for (const auto& device : devices_)
        if (subsystem.empty() || device.subsystem == subsystem) paths.push_back(device.syspath);
    std::sort(paths.begin(), paths.end());
    return paths;
}

std::optional<std::string> SysfsTree::readFile(const std::string& path) const {
    const std::string resolved = canonical(path);
    const auto slash = resolved.find_last_of('/');
    const auto* device = find(resolved.substr(0, slash));
    if (device == nullptr) return std::nullopt;
    const auto attribute = device->attributes.find(resolved.substr(slash + 1));
    if (attribute == device->attributes.end()) return std::nullopt;
    return attribute->second;
}

}  // namespace fake_kernel
