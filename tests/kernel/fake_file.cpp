#include "fake_file.h"

#include <unistd.h>

#include <array>
#include <atomic>
#include <map>

namespace fake_kernel {

namespace {

constexpr int kMostDescriptors = 4096;

// Constant-initialised, so the interposed libc calls may ask before main().
std::array<std::atomic<bool>, kMostDescriptors> fakeDescriptors{};

std::map<int, std::unique_ptr<FakeFile>>& files() {
    static std::map<int, std::unique_ptr<FakeFile>> table;
    return table;
}

}  // namespace

bool isFakeDescriptor(int fd) {
    return fd >= 0 && fd < kMostDescriptors && fakeDescriptors[static_cast<std::size_t>(fd)].load();
}

FakeFile* fakeFile(int fd) {
    if (!isFakeDescriptor(fd)) return nullptr;
    const auto found = files().find(fd);
    return found == files().end() ? nullptr : found->second.get();
}

bool adoptFile(int fd, std::unique_ptr<FakeFile> file) {
    if (fd < 0 || fd >= kMostDescriptors) return false;
    files()[fd] = std::move(file);
    fakeDescriptors[static_cast<std::size_t>(fd)] = true;
    return true;
}

void dropFile(int fd) {
    if (!isFakeDescriptor(fd)) return;
    fakeDescriptors[static_cast<std::size_t>(fd)] = false;
    files().erase(fd);
}

void closeAllFiles() {
    while (!files().empty()) {
        const int fd = files().begin()->first;
        dropFile(fd);
        ::close(fd);
    }
}

}  // namespace fake_kernel
