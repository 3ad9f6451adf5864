#include "link/backend/ppdev_port.h"

#include <fcntl.h>
#include <linux/parport.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "link/backend/ppdev_claim.h"
#include "link/parallel_ports.h"

namespace pagerprog {

namespace {

ClaimProblem problemOf(int error) {
    switch (error) {
        case ENOENT:
        case ENODEV:
        case ENXIO: return ClaimProblem::NoSuchPort;
        case EACCES:
        case EPERM: return ClaimProblem::NoPermission;
        case EBUSY: return ClaimProblem::Busy;
        default: return ClaimProblem::Other;
    }
}

}  // namespace

std::optional<std::string> PpdevPort::failed(const std::string& device, int error) {
    problem_ = problemOf(error);
    return "Cannot use the parallel port " + device + ": " + std::strerror(error);
}

std::string PpdevPort::deviceName(std::uint16_t base) const {
    return devicePath(base).value_or(PortAccess::deviceName(base));
}

std::optional<std::string> PpdevPort::devicePath(std::uint16_t base) {
    if (const ParallelPort* port = parallel_port::withBase(base)) return std::string(port->device);
    return std::nullopt;
}

std::optional<std::string> PpdevPort::claim(std::uint16_t base) {
    release();
    const auto device = devicePath(base);
    if (!device) {
        problem_ = ClaimProblem::NoSuchPort;
        char text[64];
        std::snprintf(text, sizeof text, "No parallel port at 0x%03X", base);
        return text;
    }
    // A missing node or one this user may not open fails at the open; a port another
    // program holds only shows in the claim, which waits for it up to the limit.
    const int fd = ::open(device->c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return failed(*device, errno);
    const int claimed = claimPort(fd, claimLimit_);
    if (claimed == kClaimTimedOut) {
        problem_ = ClaimProblem::Busy;
        return "Cannot use the parallel port " + *device + ": another program has held it for " +
               std::to_string(claimLimit_.count()) + " ms.";
    }
    if (claimed != 0) {
        ::close(fd);
        return failed(*device, claimed);
    }
    problem_ = ClaimProblem::None;
    fd_ = fd;
    base_ = base;
    return std::nullopt;
}

void PpdevPort::release() {
    if (fd_ < 0) return;
    ::ioctl(fd_, PPRELEASE);
    ::close(fd_);
    fd_ = -1;
}

// The kernel takes the node away with the port, while the file claimed on it lives on.
bool PpdevPort::removed() const {
    const auto device = devicePath(base_);
    if (fd_ < 0 || !device) return false;
    const int probe = ::open(device->c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK);
    if (probe >= 0) {
        ::close(probe);
        return false;
    }
    return problemOf(errno) == ClaimProblem::NoSuchPort;
}

std::uint8_t PpdevPort::readPort(std::uint16_t port) {
    unsigned char value = 0xFF;
    if (fd_ < 0) return value;
    switch (port - base_) {
        case kDataRegister: ::ioctl(fd_, PPRDATA, &value); break;
        case kStatusRegister: ::ioctl(fd_, PPRSTATUS, &value); break;
        case kControlRegister: ::ioctl(fd_, PPRCONTROL, &value); break;
        default: break;
    }
    return value;
}

void PpdevPort::writePort(std::uint16_t port, std::uint8_t value) {
    if (fd_ < 0) return;
    unsigned char bits = value;
    switch (port - base_) {
        case kDataRegister: ::ioctl(fd_, PPWDATA, &bits); break;
        case kControlRegister: ::ioctl(fd_, PPWCONTROL, &bits); break;
        default: break;  // the status register is read-only
    }
}

}  // namespace pagerprog
