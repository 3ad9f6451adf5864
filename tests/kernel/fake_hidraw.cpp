#include "fake_hidraw.h"

#include <fcntl.h>
#include <linux/hidraw.h>
#include <linux/input.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "fake_file.h"
#include "fake_udev.h"

namespace fake_kernel {

namespace {
constexpr std::size_t kHidMaxBufferSize = 16384;
}  // namespace

class FakeProgrammer::File : public FakeFile {
public:
    File(FakeProgrammer& device, int ownEnd, int deviceEnd, std::unique_ptr<pagerprog::HidConnection> connection)
        : device_(device), ownEnd_(ownEnd), deviceEnd_(deviceEnd), connection_(std::move(connection)) {
        device_.files_.insert(this);
    }
    ~File() override {
        hangUp();
        device_.lockHolders_.erase(this);
        device_.files_.erase(this);
    }

    ssize_t read(void* buffer, std::size_t count) override {
        const ssize_t received = ::recv(ownEnd_, buffer, count, 0);
        if (received < 0) return -errno;
        return received == 0 && count != 0 ? -EIO : received;  // the device end closed: gone
    }
    ssize_t write(const void* buffer, std::size_t count) override {
        return device_.write(*this, std::span(static_cast<const std::uint8_t*>(buffer), count));
    }
    int ioctl(unsigned long request, void* argument) override {
        return gone() ? -ENODEV : device_.ioctl(request, argument);
    }
    int flock(int operation) override { return device_.flock(*this, operation); }

    bool gone() const { return deviceEnd_ < 0; }
    pagerprog::HidConnection& connection() { return *connection_; }
    void queue(std::span<const std::uint8_t> report) const {
        ::send(deviceEnd_, report.data(), report.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
    }
    // Unplugged: what is queued can still be read, then reads fail and poll reports POLLHUP.
    void hangUp() {
        if (gone()) return;
        ::close(deviceEnd_);
        deviceEnd_ = -1;
        connection_.reset();
    }

private:
    FakeProgrammer& device_;
    int ownEnd_;
    int deviceEnd_;
    std::unique_ptr<pagerprog::HidConnection> connection_;
};

FakeProgrammer::FakeProgrammer(pagerprog::SimulatedPager& pager, SysfsTree& sysfs) : programmer_(pager), sysfs_(sysfs) {
    identity_ = {programmer_.vendorId, programmer_.productId, programmer_.productString};
    programmer_.unplug();
}

FakeProgrammer::~FakeProgrammer() {
    for (auto* file : files_) file->hangUp();
}

void FakeProgrammer::plug(const Plugging& plugging) {
    unplug();
    plugging_ = plugging;
    descriptor_ = programmerReportDescriptor(plugging.reportId, plugging.reportSize);
    programmer_.reportLength = plugging.reportSize + 1;
    programmer_.plug();
    syspaths_.clear();
    for (auto& device : programmerDevices(identity_, descriptor_, plugging)) {
        syspaths_.push_back(device.syspath);
        sysfs_.add(std::move(device));
    }
    // A node plugged in afresh is a new inode: no lock on it.
    lockHolders_.clear();
    heldElsewhere_ = false;
    present_ = true;
    announce("add");
}

void FakeProgrammer::unplug() {
    if (!present_) return;
    present_ = false;
    programmer_.unplug();
    for (auto* file : files_) file->hangUp();
    announce("remove");
    for (const auto& syspath : syspaths_) sysfs_.remove(syspath);
}

// Parents come first, and go last.
void FakeProgrammer::announce(const char* action) const {
    auto devices = syspaths_;
    if (std::string(action) == "remove") std::reverse(devices.begin(), devices.end());
    for (const auto& path : devices) announceDevice(action, sysfs_.lineage(path));
}

int FakeProgrammer::open(int flags) {
    if (!present_) return -ENOENT;
    if (!plugging_.accessible) return -EACCES;
    auto connection = programmer_.open(programmer_.enumerate().front().path).connection;
    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, ends) != 0) return -errno;
    if (flags & O_NONBLOCK) ::fcntl(ends[0], F_SETFL, O_NONBLOCK);
    if (!adoptFile(ends[0], std::make_unique<File>(*this, ends[0], ends[1], std::move(connection)))) {
        ::close(ends[0]);
        ::close(ends[1]);
        return -EMFILE;
    }
    return ends[0];
}

ssize_t FakeProgrammer::write(File& file, std::span<const std::uint8_t> buffer) {
    if (file.gone()) return -ENODEV;
    if (buffer.size() > kHidMaxBufferSize || buffer.size() < 2) return -EINVAL;
    receive(file, buffer[0] == 0 ? buffer.subspan(1) : buffer);
    if (file.gone()) return -ENODEV;  // pulled out while the report was on its way
    return static_cast<ssize_t>(buffer.size());
}

void FakeProgrammer::receive(File& file, std::span<const std::uint8_t> report) {
    const std::uint8_t reportId = plugging_.reportId;
    const std::size_t idBytes = reportId != 0 ? 1 : 0;
    if (report.size() != idBytes + plugging_.reportSize || (idBytes != 0 && report[0] != reportId)) return;
    // The simulated programmer takes and gives whole reports with the ID byte in front.
    std::vector<std::uint8_t> request{reportId};
    request.insert(request.end(), report.begin() + static_cast<std::ptrdiff_t>(idBytes), report.end());
    if (!file.connection().writeReport(request)) {
        unplug();
        return;
    }
    std::vector<std::uint8_t> reply(plugging_.reportSize + 1);
    while (file.connection().readReport(reply, std::chrono::milliseconds(0)) > 0) sendInputReport(reply);
}

// Every open file gets the report (hidraw_report_event); the ID byte only when numbered.
void FakeProgrammer::sendInputReport(std::span<const std::uint8_t> reply) {
    std::vector<std::uint8_t> report(reply.begin(), reply.end());
    if (plugging_.reportId != 0)
        report[0] = plugging_.reportId;
    else
        report.erase(report.begin());
    for (const auto* file : files_)
        if (!file->gone()) file->queue(report);
}

int FakeProgrammer::flock(File& file, int operation) {
    const bool own = lockHolders_.count(&file) != 0;
    switch (operation & ~LOCK_NB) {
        case LOCK_UN: lockHolders_.erase(&file); return 0;
        case LOCK_SH:
        case LOCK_EX: break;
        default: return -EINVAL;
    }
    if ((operation & LOCK_NB) == 0) return -EINVAL;
    const bool exclusive = (operation & ~LOCK_NB) == LOCK_EX;
    const bool othersHold = lockHolders_.size() > (own ? 1u : 0u);
    if (heldElsewhere_ || (othersHold && (exclusive || lockExclusive_))) return -EWOULDBLOCK;
    lockHolders_.insert(&file);
    lockExclusive_ = exclusive;
    return 0;
}

int FakeProgrammer::ioctl(unsigned long request, void* argument) const {
    switch (request) {
        case HIDIOCGRDESCSIZE: *static_cast<int*>(argument) = static_cast<int>(descriptor_.size()); return 0;
        case HIDIOCGRDESC: {
            auto* out = static_cast<hidraw_report_descriptor*>(argument);
            if (out->size > HID_MAX_DESCRIPTOR_SIZE - 1) return -EINVAL;
            std::memcpy(out->value, descriptor_.data(), std::min<std::size_t>(out->size, descriptor_.size()));
            return 0;
        }
        case HIDIOCGRAWINFO: {
            auto* out = static_cast<hidraw_devinfo*>(argument);
            out->bustype = BUS_USB;
            out->vendor = static_cast<__s16>(identity_.vendorId);
            out->product = static_cast<__s16>(identity_.productId);
            return 0;
        }
        default: return _IOC_TYPE(request) == 'H' ? -ENOTTY : -EINVAL;
    }
}

}  // namespace fake_kernel
