#include "fake_ppdev.h"

#include <fcntl.h>
#include <linux/parport.h>
#include <linux/ppdev.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>

#include "fake_file.h"

namespace fake_kernel {

namespace {
constexpr const char* kNode = "/dev/parport0";
}  // namespace

class FakePpdev::File : public FakeFile {
public:
    explicit File(FakePpdev& ppdev) : ppdev_(ppdev) {}
    ~File() override {
        if (claimed) ppdev_.release(*this);
        const std::lock_guard<std::mutex> lock(ppdev_.mutex_);
        --ppdev_.openFiles_;
    }

    // IEEE 1284 transfers are not modelled; ppdev refuses them before a claim anyway.
    ssize_t read(void*, std::size_t) override { return claimed ? -ENOSYS : -EINVAL; }
    ssize_t write(const void*, std::size_t) override { return claimed ? -ENOSYS : -EINVAL; }

    int ioctl(unsigned long request, void* argument) override {
        if (request == PPCLAIM) return ppdev_.claim(*this);
        if (!claimed) return -EINVAL;  // "claim the port first"
        auto* value = static_cast<std::uint8_t*>(argument);
        switch (request) {
            case PPRELEASE: ppdev_.release(*this); return 0;
            case PPRDATA:
            case PPRSTATUS:
            case PPRCONTROL: return ppdev_.readRegister(request, *value);
            case PPWDATA:
            case PPWCONTROL: return ppdev_.writeRegister(request, *value);
            default: return -EINVAL;
        }
    }

    bool registered = false;
    bool claimed = false;
    std::uint8_t control = PcParallelPort::kInitialControl;

private:
    FakePpdev& ppdev_;
};

void FakePpdev::attach(bool accessible) {
    present_ = !removed_;
    accessible_ = accessible;
}

int FakePpdev::open(const std::string& node, int flags) {
    if (node != kNode || !present_) return -ENOENT;
    if (!accessible_) return -EACCES;
    const int fd = ::eventfd(0, (flags & O_CLOEXEC ? EFD_CLOEXEC : 0) | (flags & O_NONBLOCK ? EFD_NONBLOCK : 0));
    if (fd < 0) return -errno;
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        ++openFiles_;
    }
    if (!adoptFile(fd, std::make_unique<File>(*this))) {
        ::close(fd);
        return -EMFILE;
    }
    return fd;
}

int FakePpdev::openFiles() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    return openFiles_;
}

int FakePpdev::claim(File& file) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (file.claimed) return -EINVAL;
    if (!file.registered) {
        if (removed_ || exclusivelyHeld_) return -ENXIO;
        file.registered = true;
    }
    for (;;) {
        if (heldUntil_ && std::chrono::steady_clock::now() < *heldUntil_) {
            released_.wait_until(lock, *heldUntil_);
        } else if (owner_ != nullptr) {
            heldUntil_.reset();
            released_.wait(lock);
        } else {
            break;
        }
    }
    heldUntil_.reset();
    owner_ = &file;
    file.claimed = true;
    if (!removed_) port_.restoreControl(file.control);
    return 0;
}

void FakePpdev::release(File& file) {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (!removed_) file.control = port_.saveControl();
    file.claimed = false;
    if (owner_ == &file) owner_ = nullptr;
    released_.notify_all();
}

void FakePpdev::countAccess() {
    if (!removed_ && vanishAfter_ && accesses_ >= *vanishAfter_) {
        removed_ = true;
        present_ = false;
        port_.disconnect();
    }
    ++accesses_;
}

int FakePpdev::readRegister(unsigned long request, std::uint8_t& value) {
    const std::lock_guard<std::mutex> lock(mutex_);
    countAccess();
    if (removed_) {
        value = 0;
        return 0;
    }
    switch (request) {
        case PPRDATA: value = port_.readData(); break;
        case PPRSTATUS: value = port_.readStatus(); break;
        default: value = port_.readControl(); break;
    }
    return 0;
}

int FakePpdev::writeRegister(unsigned long request, std::uint8_t value) {
    const std::lock_guard<std::mutex> lock(mutex_);
    countAccess();
    if (removed_) return 0;
    if (request == PPWDATA)
        port_.writeData(value);
    else
        port_.writeControl(value);
    return 0;
}

}  // namespace fake_kernel
