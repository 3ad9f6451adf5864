#include "fake_file.h"

#include <unistd.h>

#include <array>
#include <atomic>
#include <map>
#include <mutex>

namespace fake_kernel {

namespace {

constexpr int kMostDescriptors = 4096;

// Constant-initialised, so the interposed libc calls may ask before main().
std::array<std::atomic<bool>, kMostDescriptors> fakeDescriptors{};

std::map<int, std::unique_ptr<FakeFile>>& files() {
    static std::map<int, std::unique_ptr<FakeFile>> table;
    return table;
}

// A claim given up on goes on in a helper thread of the backend, which closes its file there.
std::mutex& tableMutex() {
    static std::mutex mutex;
    return mutex;
}

}  // namespace

bool isFakeDescriptor(int fd) {
    return fd >= 0 && fd < kMostDescriptors && fakeDescriptors[static_cast<std::size_t>(fd)].load();
}

FakeFile* fakeFile(int fd) {
    if (!isFakeDescriptor(fd)) return nullptr;
    const std::lock_guard<std::mutex> lock(tableMutex());
    const auto found = files().find(fd);
    return found == files().end() ? nullptr : found->second.get();
}

bool adoptFile(int fd, std::unique_ptr<FakeFile> file) {
    if (fd < 0 || fd >= kMostDescriptors) return false;
    const std::lock_guard<std::mutex> lock(tableMutex());
    files()[fd] = std::move(file);
    fakeDescriptors[static_cast<std::size_t>(fd)] = true;
    return true;
}

void dropFile(int fd) {
    if (!isFakeDescriptor(fd)) return;
    std::unique_ptr<FakeFile> file;
    {
        const std::lock_guard<std::mutex> lock(tableMutex());
        fakeDescriptors[static_cast<std::size_t>(fd)] = false;
        const auto found = files().find(fd);
        if (found == files().end()) return;
        file = std::move(found->second);
        files().erase(found);
    }
    // Destroyed outside the lock: a ppdev file releases its port, which takes the port's lock.
}

void closeAllFiles() {
    for (;;) {
        int fd = -1;
        {
            const std::lock_guard<std::mutex> lock(tableMutex());
            if (files().empty()) return;
            fd = files().begin()->first;
        }
        dropFile(fd);
        ::close(fd);
    }
}

}  // namespace fake_kernel
