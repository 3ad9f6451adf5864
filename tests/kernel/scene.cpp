#include "scene.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "fake_file.h"

namespace fake_kernel {

namespace {

Scene* current = nullptr;

bool startsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

bool isDeviceNode(const std::string& path) {
    return startsWith(path, "/dev/parport") || startsWith(path, "/dev/hidraw");
}

// Attribute files are read-only (mode 0444); their contents come from a memory file.
int openSysfs(const std::string& path, int flags) {
    if ((flags & O_ACCMODE) != O_RDONLY) return -EACCES;
    const auto contents = currentSysfs().readFile(path);
    if (!contents) return -ENOENT;
    const int fd = ::memfd_create("sysfs", (flags & O_CLOEXEC) ? MFD_CLOEXEC : 0);
    if (fd < 0) return -errno;
    if (::write(fd, contents->data(), contents->size()) != static_cast<ssize_t>(contents->size()) ||
        ::lseek(fd, 0, SEEK_SET) != 0) {
        const int error = errno;
        ::close(fd);
        return -error;
    }
    return fd;
}

int openOwned(const std::string& path, int flags) {
    if (startsWith(path, "/dev/parport")) return scene().parport.open(path, flags);
    if (startsWith(path, "/dev/hidraw")) {
        FakeProgrammer* programmer = scene().programmerAt(path);
        return programmer != nullptr ? programmer->open(flags) : -ENOENT;
    }
    return openSysfs(path, flags);
}

}  // namespace

FakeProgrammer& Scene::programmer(int index) {
    while (static_cast<int>(slots_.size()) <= index) {
        Slot slot;
        if (!slots_.empty()) slot.ownPager = std::make_unique<pagerprog::SimulatedPager>();
        slot.programmer = std::make_unique<FakeProgrammer>(slot.ownPager ? *slot.ownPager : pager, sysfs);
        slots_.push_back(std::move(slot));
    }
    return *slots_[static_cast<std::size_t>(index)].programmer;
}

pagerprog::SimulatedPager& Scene::pagerOf(int index) {
    programmer(index);
    const auto& own = slots_[static_cast<std::size_t>(index)].ownPager;
    return own ? *own : pager;
}

void Scene::plug(int index, Plugging plugging) {
    FakeProgrammer& plugged = programmer(index);
    plugged.unplug();
    const auto taken = [this](int minor) {
        for (const Slot& slot : slots_)
            if (slot.programmer->present() && slot.programmer->minor() == minor) return true;
        return false;
    };
    plugging.minor = 0;
    while (taken(plugging.minor)) ++plugging.minor;
    plugging.hidSequence = ++hidDevicesSinceBoot;
    plugged.plug(plugging);
}

FakeProgrammer* Scene::programmerAt(const std::string& node) {
    for (const Slot& slot : slots_)
        if (slot.programmer->present() && node == "/dev/hidraw" + std::to_string(slot.programmer->minor()))
            return slot.programmer.get();
    return nullptr;
}

Scene& scene() {
    if (current == nullptr) current = new Scene;
    return *current;
}

void resetScene() {
    closeAllFiles();
    delete current;
    current = new Scene;
}

const SysfsTree& currentSysfs() { return scene().sysfs; }

std::optional<int> openOwnedPath(const char* path, int flags) {
    if (path == nullptr) return std::nullopt;
    const std::string name = path;
    if (!isDeviceNode(name) && !SysfsTree::owns(name)) return std::nullopt;
    const int result = openOwned(name, flags);
    if (result >= 0) return result;
    errno = -result;
    return -1;
}

std::optional<FILE*> fopenOwnedPath(const char* path, const char* mode) {
    if (path == nullptr || mode == nullptr) return std::nullopt;
    const std::string name = path;
    if (!isDeviceNode(name) && !SysfsTree::owns(name)) return std::nullopt;
    int result = -ENOTSUP;
    if (!isDeviceNode(name))
        result = mode[0] == 'r' && std::strchr(mode, '+') == nullptr ? openSysfs(name, O_RDONLY | O_CLOEXEC) : -EACCES;
    if (result < 0) {
        errno = -result;
        return nullptr;
    }
    FILE* file = ::fdopen(result, mode);
    if (file == nullptr) ::close(result);
    return file;
}

}  // namespace fake_kernel
