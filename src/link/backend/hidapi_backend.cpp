#include "link/backend/hidapi_backend.h"

#include <fcntl.h>
#include <hidapi/hidapi.h>
#include <libudev.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

#include <fstream>
#include <iterator>
#include <mutex>
#include <vector>

#include "link/report_descriptor.h"

namespace pagerprog {

namespace {

// hidapi hands out wide strings; on Linux a wchar_t holds one code point.
std::string utf8(const wchar_t* text) {
    std::string out;
    for (; text != nullptr && *text != 0; ++text) {
        const auto c = static_cast<char32_t>(*text);
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

ReportLengths lengthsOf(const std::string& devicePath) {
    std::ifstream file(HidapiBackend::reportDescriptorPath(devicePath), std::ios::binary);
    const std::vector<std::uint8_t> descriptor((std::istreambuf_iterator<char>(file)),
                                               std::istreambuf_iterator<char>());
    return reportLengths(descriptor);
}

// hidapi keeps its last error in one global that enumerating, opening and closing set, so
// those calls run one at a time whichever holder's thread makes them.
std::mutex& hidapiGlobals() {
    static std::mutex mutex;
    return mutex;
}

// The USB port the device hangs off, as sysfs names the USB device ("1-2.3"); "" for a
// device that is not on USB.
std::string usbPortPath(udev* context, const std::string& devicePath) {
    if (context == nullptr) return "";
    const auto slash = devicePath.find_last_of('/');
    const std::string syspath = "/sys/class/hidraw/" + devicePath.substr(slash == std::string::npos ? 0 : slash + 1);
    udev_device* node = udev_device_new_from_syspath(context, syspath.c_str());
    if (node == nullptr) return "";
    std::string port;
    // The parent belongs to the node and goes with it.
    if (udev_device* usb = udev_device_get_parent_with_subsystem_devtype(node, "usb", "usb_device")) {
        const std::string usbPath = udev_device_get_syspath(usb);
        port = usbPath.substr(usbPath.find_last_of('/') + 1);
    }
    udev_device_unref(node);
    return port;
}

HidOpenProblem problemOf(int error) {
    switch (error) {
        case EACCES:
        case EPERM: return HidOpenProblem::NoPermission;
        case ENOENT:
        case ENODEV:
        case ENXIO: return HidOpenProblem::Gone;
        case EWOULDBLOCK: return HidOpenProblem::Busy;
        default: return HidOpenProblem::Other;
    }
}

// hidraw lets any number of programs open a node; a holder takes an exclusive flock(2) on
// it besides, which every pagerprog honours, so that two of them never share a programmer.
// The lock's own open file is never read: hidraw drops its copies of the input reports
// once its queue is full.
class HidapiConnection : public HidConnection {
public:
    HidapiConnection(hid_device* device, int lock, const ReportLengths& reports)
        : device_(device), lock_(lock), inputId_(reports.inputId), outputId_(reports.outputId) {}
    ~HidapiConnection() override {
        {
            const std::lock_guard globals(hidapiGlobals());
            hid_close(device_);
        }
        ::close(lock_);
    }
    HidapiConnection(const HidapiConnection&) = delete;
    HidapiConnection& operator=(const HidapiConnection&) = delete;

    // A device with numbered reports takes a report only under its ID; where the caller left
    // byte 0 at 0, as for a device without numbered reports, the output report's ID goes in.
    bool writeReport(std::span<const std::uint8_t> report) override {
        if (report.empty()) return false;
        if (outputId_ == 0 || report[0] != 0) return hid_write(device_, report.data(), report.size()) >= 0;
        std::vector<std::uint8_t> numbered(report.begin(), report.end());
        numbered[0] = outputId_;
        return hid_write(device_, numbered.data(), numbered.size()) >= 0;
    }

    // hidraw hands a numbered report over with its ID in byte 0, but leaves out the ID of a
    // device without numbered reports; put the 0 back so the caller always sees the whole report.
    int readReport(std::span<std::uint8_t> buffer, std::chrono::milliseconds timeout) override {
        const int milliseconds = static_cast<int>(timeout.count());
        if (inputId_ != 0)
            return buffer.empty() ? -1 : hid_read_timeout(device_, buffer.data(), buffer.size(), milliseconds);
        if (buffer.size() < 2) return -1;
        const int received = hid_read_timeout(device_, buffer.data() + 1, buffer.size() - 1, milliseconds);
        if (received <= 0) return received;
        buffer[0] = 0;
        return received + 1;
    }

private:
    hid_device* device_;
    int lock_;
    std::uint8_t inputId_;
    std::uint8_t outputId_;
};

}  // namespace

HidapiBackend::HidapiBackend() : udev_(udev_new()) {
    const std::lock_guard globals(hidapiGlobals());
    initialised_ = hid_init() == 0;
}

HidapiBackend::~HidapiBackend() {
    if (udev_ != nullptr) udev_unref(udev_);
    const std::lock_guard globals(hidapiGlobals());
    if (initialised_) hid_exit();
}

std::string HidapiBackend::reportDescriptorPath(const std::string& devicePath) {
    const auto slash = devicePath.find_last_of('/');
    const std::string node = slash == std::string::npos ? devicePath : devicePath.substr(slash + 1);
    return "/sys/class/hidraw/" + node + "/device/report_descriptor";
}

std::vector<HidDeviceInfo> HidapiBackend::enumerate() {
    std::vector<HidDeviceInfo> devices;
    if (!initialised_) return devices;
    hid_device_info* list = nullptr;
    {
        const std::lock_guard globals(hidapiGlobals());
        list = hid_enumerate(0, 0);
    }
    for (const auto* entry = list; entry != nullptr; entry = entry->next) {
        const auto lengths = lengthsOf(entry->path);
        devices.push_back({entry->path, entry->vendor_id, entry->product_id, utf8(entry->product_string), lengths.input,
                           lengths.output, usbPortPath(udev_, entry->path), utf8(entry->serial_number)});
    }
    hid_free_enumeration(list);
    return devices;
}

// The node is opened and locked first: hidapi keeps the system's reason for a failed open
// only as text, where this open tells it plainly.
HidOpening HidapiBackend::open(const std::string& path) {
    if (!initialised_) return {nullptr, HidOpenProblem::Other};
    const int lock = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (lock < 0) return {nullptr, problemOf(errno)};
    if (::flock(lock, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(lock);
        return {nullptr, problemOf(error)};
    }
    hid_device* device = nullptr;
    {
        const std::lock_guard globals(hidapiGlobals());
        device = hid_open_path(path.c_str());
    }
    if (device == nullptr) {
        ::close(lock);
        return {nullptr, HidOpenProblem::Other};
    }
    return {std::make_unique<HidapiConnection>(device, lock, lengthsOf(path)), HidOpenProblem::None};
}

}  // namespace pagerprog
