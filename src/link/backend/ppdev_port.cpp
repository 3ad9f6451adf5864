#include "link/backend/ppdev_port.h"

#include <fcntl.h>
#include <linux/parport.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "settings/program_state.h"

namespace pagerprog {

namespace {
std::string failure(const std::string& device, int error) {
    return "Cannot use the parallel port " + device + ": " + std::strerror(error);
}
}  // namespace

std::optional<std::string> PpdevPort::devicePath(std::uint16_t base) {
    if (base == kLpt1Base) return "/dev/parport0";
    if (base == kLpt2Base) return "/dev/parport1";
    return std::nullopt;
}

std::optional<std::string> PpdevPort::claim(std::uint16_t base) {
    release();
    const auto device = devicePath(base);
    if (!device) {
        char text[64];
        std::snprintf(text, sizeof text, "No parallel port at 0x%03X", base);
        return text;
    }
    // Non-blocking open: a port that is missing or busy must fail at once, never hang.
    const int fd = ::open(device->c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return failure(*device, errno);
    if (::ioctl(fd, PPCLAIM) != 0) {
        const int error = errno;
        ::close(fd);
        return failure(*device, error);
    }
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
