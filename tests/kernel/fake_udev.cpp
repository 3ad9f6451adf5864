#include "fake_udev.h"

#include <libudev.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <deque>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>

#include "scene.h"

using fake_kernel::SysfsDevice;

struct udev {
    int references = 1;
};

struct udev_list_entry {
    std::string name;
    udev_list_entry* next = nullptr;
};

struct udev_enumerate {
    int references = 1;
    std::vector<std::string> subsystems;
    std::vector<std::unique_ptr<udev_list_entry>> entries;
};

struct udev_device {
    int references = 1;
    std::vector<SysfsDevice> lineage;  // the device, then its parents
    std::string action;                // set on devices that came from a monitor
    std::unique_ptr<udev_device> parent;
    std::map<std::string, std::string> values;  // sysattr values handed out, kept alive here

    const SysfsDevice& self() const { return lineage.front(); }
};

struct udev_monitor {
    int references = 1;
    int fd = -1;                                               // an eventfd counting the waiting devices
    std::vector<std::pair<std::string, std::string>> filters;  // subsystem, devtype ("" for any)
    bool receiving = false;
    std::deque<udev_device*> waiting;
};

namespace {

std::set<udev_monitor*>& monitors() {
    static auto* all = new std::set<udev_monitor*>;
    return *all;
}

const char* textOrNull(const std::string& text) { return text.empty() ? nullptr : text.c_str(); }

udev_device* newDevice(std::vector<SysfsDevice> lineage, std::string action) {
    auto* device = new udev_device;
    device->lineage = std::move(lineage);
    device->action = std::move(action);
    return device;
}

udev_device* parentOf(udev_device* device) {
    if (!device->parent && device->lineage.size() > 1)
        device->parent.reset(newDevice({device->lineage.begin() + 1, device->lineage.end()}, ""));
    return device->parent.get();
}

bool passes(const udev_monitor& monitor, const SysfsDevice& device) {
    return monitor.filters.empty() ||
           std::any_of(monitor.filters.begin(), monitor.filters.end(), [&device](const auto& filter) {
               return filter.first == device.subsystem && (filter.second.empty() || filter.second == device.devtype);
           });
}

}  // namespace

namespace fake_kernel {

void announceDevice(const char* action, const std::vector<SysfsDevice>& lineage) {
    if (lineage.empty()) return;
    for (auto* monitor : monitors()) {
        if (!monitor->receiving || !passes(*monitor, lineage.front())) continue;
        monitor->waiting.push_back(newDevice(lineage, action));
        ::eventfd_write(monitor->fd, 1);
    }
}

}  // namespace fake_kernel

extern "C" {

udev* udev_new(void) { return new udev; }

udev* udev_ref(udev* context) {
    if (context != nullptr) ++context->references;
    return context;
}

udev* udev_unref(udev* context) {
    if (context != nullptr && --context->references == 0) delete context;
    return nullptr;
}

udev_enumerate* udev_enumerate_new(udev* context) { return context != nullptr ? new udev_enumerate : nullptr; }

udev_enumerate* udev_enumerate_unref(udev_enumerate* enumerate) {
    if (enumerate != nullptr && --enumerate->references == 0) delete enumerate;
    return nullptr;
}

int udev_enumerate_add_match_subsystem(udev_enumerate* enumerate, const char* subsystem) {
    if (enumerate == nullptr || subsystem == nullptr) return -EINVAL;
    enumerate->subsystems.emplace_back(subsystem);
    return 0;
}

int udev_enumerate_scan_devices(udev_enumerate* enumerate) {
    if (enumerate == nullptr) return -EINVAL;
    const auto& sysfs = fake_kernel::currentSysfs();
    std::vector<std::string> paths;
    if (enumerate->subsystems.empty()) paths = sysfs.subsystemDevices("");
    for (const auto& subsystem : enumerate->subsystems)
        for (auto& path : sysfs.subsystemDevices(subsystem)) paths.push_back(std::move(path));
    std::sort(paths.begin(), paths.end());
    enumerate->entries.clear();
    for (auto& path : paths) {
        enumerate->entries.push_back(std::make_unique<udev_list_entry>(udev_list_entry{std::move(path)}));
        if (enumerate->entries.size() > 1)
            enumerate->entries[enumerate->entries.size() - 2]->next = enumerate->entries.back().get();
    }
    return 0;
}

udev_list_entry* udev_enumerate_get_list_entry(udev_enumerate* enumerate) {
    return enumerate == nullptr || enumerate->entries.empty() ? nullptr : enumerate->entries.front().get();
}

udev_list_entry* udev_list_entry_get_next(udev_list_entry* entry) { return entry != nullptr ? entry->next : nullptr; }

const char* udev_list_entry_get_name(udev_list_entry* entry) {
    return entry != nullptr ? entry->name.c_str() : nullptr;
}

udev_device* udev_device_new_from_syspath(udev* context, const char* syspath) {
    if (context == nullptr || syspath == nullptr) {
        errno = EINVAL;
        return nullptr;
    }
    auto lineage = fake_kernel::currentSysfs().lineage(syspath);
    if (lineage.empty()) {
        errno = ENODEV;
        return nullptr;
    }
    return newDevice(std::move(lineage), "");
}

// Device numbers are not modelled (the fake nodes are sockets and eventfds).
udev_device* udev_device_new_from_devnum(udev*, char, dev_t) {
    errno = ENODEV;
    return nullptr;
}

udev_device* udev_device_ref(udev_device* device) {
    if (device != nullptr) ++device->references;
    return device;
}

udev_device* udev_device_unref(udev_device* device) {
    if (device != nullptr && --device->references == 0) delete device;
    return nullptr;
}

const char* udev_device_get_syspath(udev_device* device) {
    return device != nullptr ? device->self().syspath.c_str() : nullptr;
}

const char* udev_device_get_devnode(udev_device* device) {
    return device != nullptr ? textOrNull(device->self().devnode) : nullptr;
}

const char* udev_device_get_subsystem(udev_device* device) {
    return device != nullptr ? textOrNull(device->self().subsystem) : nullptr;
}

const char* udev_device_get_devtype(udev_device* device) {
    return device != nullptr ? textOrNull(device->self().devtype) : nullptr;
}

const char* udev_device_get_action(udev_device* device) {
    return device != nullptr ? textOrNull(device->action) : nullptr;
}

udev_device* udev_device_get_parent_with_subsystem_devtype(udev_device* device, const char* subsystem,
                                                           const char* devtype) {
    if (device == nullptr || subsystem == nullptr) return nullptr;
    for (auto* parent = parentOf(device); parent != nullptr; parent = parentOf(parent)) {
        if (parent->self().subsystem == subsystem && (devtype == nullptr || parent->self().devtype == devtype))
            return parent;
    }
    errno = ENOENT;
    return nullptr;
}

const char* udev_device_get_sysattr_value(udev_device* device, const char* name) {
    if (device == nullptr || name == nullptr) return nullptr;
    const auto& attributes = device->self().attributes;
    const auto found = attributes.find(name);
    if (found == attributes.end()) {
        errno = ENOENT;
        return nullptr;
    }
    std::string value = found->second;
    while (!value.empty() && value.back() == '\n') value.pop_back();
    return (device->values[name] = std::move(value)).c_str();
}

udev_monitor* udev_monitor_new_from_netlink(udev* context, const char* name) {
    if (context == nullptr || (name != nullptr && std::string(name) != "udev" && std::string(name) != "kernel")) {
        errno = EINVAL;
        return nullptr;
    }
    const int fd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK | EFD_SEMAPHORE);
    if (fd < 0) return nullptr;
    auto* monitor = new udev_monitor;
    monitor->fd = fd;
    monitors().insert(monitor);
    return monitor;
}

udev_monitor* udev_monitor_ref(udev_monitor* monitor) {
    if (monitor != nullptr) ++monitor->references;
    return monitor;
}

udev_monitor* udev_monitor_unref(udev_monitor* monitor) {
    if (monitor == nullptr || --monitor->references > 0) return nullptr;
    monitors().erase(monitor);
    for (auto* device : monitor->waiting) udev_device_unref(device);
    ::close(monitor->fd);
    delete monitor;
    return nullptr;
}

int udev_monitor_filter_add_match_subsystem_devtype(udev_monitor* monitor, const char* subsystem, const char* devtype) {
    if (monitor == nullptr || subsystem == nullptr) return -EINVAL;
    monitor->filters.emplace_back(subsystem, devtype != nullptr ? devtype : "");
    return 0;
}

int udev_monitor_enable_receiving(udev_monitor* monitor) {
    if (monitor == nullptr) return -EINVAL;
    monitor->receiving = true;
    return 0;
}

int udev_monitor_get_fd(udev_monitor* monitor) { return monitor != nullptr ? monitor->fd : -EINVAL; }

udev_device* udev_monitor_receive_device(udev_monitor* monitor) {
    eventfd_t one = 0;
    if (monitor == nullptr || ::eventfd_read(monitor->fd, &one) != 0 || monitor->waiting.empty()) {
        errno = EAGAIN;
        return nullptr;
    }
    auto* device = monitor->waiting.front();
    monitor->waiting.pop_front();
    return device;
}

}  // extern "C"
